#include "platform/FileMapping.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

int MapFileView(const std::string& path, int protection, MappedFileView& out)
{
    out = MappedFileView{};

    // Step 1: open the file for reading. The name may come from a document: opening a
    // FIFO or a device must not wait for a writer (or take a terminal); anything that is
    // not a regular file is refused just below. Non-blocking mode changes nothing for a
    // regular file's mapping.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }

    // Step 2: the mapping object covers the whole file; an empty file has nothing to map.
    const bool knownProtection = protection == kPageReadOnly || protection == kPageWriteCopy;
    if (!knownProtection || st.st_size <= 0
        || static_cast<uint64_t>(st.st_size) > std::numeric_limits<std::size_t>::max()) {
        ::close(fd);
        return -2;
    }

    // Step 3: the view. Read access for a read-only mapping, a private writable view
    // for copy-on-write.
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    const int prot = protection == kPageReadOnly ? PROT_READ : (PROT_READ | PROT_WRITE);
    void* view = ::mmap(nullptr, size, prot, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED) {
        ::close(fd);
        return -3;
    }

    out.file = fd;
    out.mapping = true;
    out.protection = protection;
    out.size = size;
    out.view = view;
    return 0;
}

int UnmapFileView(MappedFileView& mapped)
{
    if (!mapped.view || ::munmap(mapped.view, mapped.size) != 0)
        return -1;
    mapped.view = nullptr;

    if (!mapped.mapping)
        return -2;
    mapped.mapping = false;
    mapped.protection = 0;
    mapped.size = 0;

    if (mapped.file < 0 || ::close(mapped.file) != 0) {
        mapped.file = -1;
        return -3;
    }
    mapped.file = -1;
    return 0;
}

} // namespace kv
