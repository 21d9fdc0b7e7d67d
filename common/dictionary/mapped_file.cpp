#include "common/dictionary/dictionary.h"

#include <QFile>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {

MappedFile::~MappedFile() { close(); }

bool MappedFile::open(const QString& path)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    // Sizes are 32-bit in the file formats read through this class.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 || uint64_t(st.st_size) > UINT32_MAX) {
        ::close(fd);
        return false;
    }
    size_ = uint32_t(st.st_size);
    fd_ = fd;
    if (size_ == 0)
        return true; // nothing to map; isOpen() still says yes
    void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
        close();
        return false;
    }
    data_ = static_cast<const unsigned char*>(p);
    return true;
}

void MappedFile::close()
{
    if (data_)
        ::munmap(const_cast<unsigned char*>(data_), size_);
    if (fd_ >= 0)
        ::close(fd_);
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
}

} // namespace lex
