#include "common/dictionary/dictionary.h"

#include <cstdint>

namespace lex {

bool MappedFile::open(const QString& path)
{
    close();
    std::unique_ptr<ReadOnlyRegion> region;
    if (!env_->mapReadOnly(path, &region) || region->size() > qint64(UINT32_MAX))
        return false;
    region_ = std::move(region);
    return true;
}

} // namespace lex
