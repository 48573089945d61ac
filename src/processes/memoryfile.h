#pragma once

#include <string>
#include <string_view>

// A file that exists only in memory, such as the login handed to an FTP
// client: no name on disk, and /proc lets only its owner reach it. A child
// opens it as path(). Linux only; elsewhere it is never valid.
namespace processes {

class MemoryFile
{
public:
    enum class Inherited {
        ByEveryChild,
        OnRequest // closed on exec, unless a child asks (inheritDescriptor())
    };

    // `name` is what /proc shows for it. When it cannot be made, it is not
    // valid() and errno says why.
    MemoryFile(const char *name, std::string_view text, Inherited inherited);
    ~MemoryFile();
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    bool valid() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    std::string path() const; // /dev/fd/N

private:
    int m_fd = -1;
};

} // namespace processes
