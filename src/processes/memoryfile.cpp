#include "memoryfile.h"

#include <cerrno>

#ifdef __linux__
#  include <sys/mman.h>
#  include <unistd.h>
#endif

namespace processes {

MemoryFile::MemoryFile([[maybe_unused]] const char *name, [[maybe_unused]] std::string_view text,
                       [[maybe_unused]] Inherited inherited)
{
#ifdef __linux__
    m_fd = ::memfd_create(name, inherited == Inherited::OnRequest ? MFD_CLOEXEC : 0);
    if (m_fd >= 0 && ::write(m_fd, text.data(), text.size()) != ssize_t(text.size())) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        errno = error;
    }
#else
    errno = ENOSYS;
#endif
}

MemoryFile::~MemoryFile()
{
#ifdef __linux__
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

std::string MemoryFile::path() const
{
    return "/dev/fd/" + std::to_string(m_fd);
}

} // namespace processes
