#include "fontwarmup.h"

#ifdef HUNTMARK_HAVE_FONTCONFIG
#  include <fontconfig/fontconfig.h>
#endif

namespace platform {

std::jthread readFontConfigurationAhead()
{
#ifdef HUNTMARK_HAVE_FONTCONFIG
    // The library is safe to initialise from two threads at once: whichever
    // finishes second keeps the first one's configuration.
    return std::jthread([] { FcInit(); });
#else
    return {};
#endif
}

} // namespace platform
