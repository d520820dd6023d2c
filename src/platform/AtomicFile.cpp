#include "platform/AtomicFile.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

AtomicFile::~AtomicFile()
{
    Discard();
}

bool AtomicFile::Open(const std::string& target)
{
    Discard();
    m_target = target;
    m_temp = target + ".tmpXXXXXX";
    int fd = mkstemp(m_temp.data());
    if (fd < 0) {
        m_temp.clear();
        return false;
    }
    // mkstemp makes the file private; a saved file gets the usual permissions instead.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    m_file = fdopen(fd, "wb");
    if (!m_file) {
        close(fd);
        unlink(m_temp.c_str());
        m_temp.clear();
        return false;
    }
    return true;
}

bool AtomicFile::Commit()
{
    if (!m_file)
        return false;
    bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
    ok = (std::fclose(m_file) == 0) && ok;
    m_file = nullptr;
    if (ok)
        ok = std::rename(m_temp.c_str(), m_target.c_str()) == 0;
    if (!ok)
        std::remove(m_temp.c_str());
    m_temp.clear();
    return ok;
}

void AtomicFile::Discard()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temp.empty()) {
        std::remove(m_temp.c_str());
        m_temp.clear();
    }
}

} // namespace kv
