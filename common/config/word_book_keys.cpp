#include "common/config/word_book_keys.h"

#include "common/config/config_keys.h"

namespace lex {

namespace {
constexpr uint8_t kHighestDegree = 10;
} // namespace

QString folderFromConfig(const QString& value)
{
    QString p = value;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.isEmpty() && !p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}

std::array<uint8_t, 3> readAddStrangeIndex(const Profile* profile)
{
    std::array<uint8_t, 3> v{kHighestDegree, kHighestDegree, kHighestDegree};
    if (!profile)
        return v;
    const auto bytes = profile->readStruct(config::kAddModify, config::kStrangeIndex, config::kStrangeIndexSize);
    if (!bytes)
        return v;
    for (int i = 0; i < 3; ++i) {
        const auto b = uint8_t((*bytes)[i]);
        if (b > kHighestDegree)
            return {kHighestDegree, kHighestDegree, kHighestDegree};
        v[size_t(i)] = b;
    }
    return v;
}

} // namespace lex
