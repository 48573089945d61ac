#include "childend.h"

#ifdef __linux__
#  include <fcntl.h>
#  include <sys/prctl.h>
#  include <unistd.h>
#endif

namespace processes {

void endWithParent([[maybe_unused]] int parent, [[maybe_unused]] int signal,
                   [[maybe_unused]] int orphanStatus)
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, signal);
    if (::getppid() != parent)
        ::_exit(orphanStatus);
#endif
}

void inheritDescriptor([[maybe_unused]] int fd)
{
#ifdef __linux__
    ::fcntl(fd, F_SETFD, 0);
#endif
}

} // namespace processes
