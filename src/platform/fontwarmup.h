#pragma once

#include <thread>

namespace platform {

// Reads the system's font configuration on a thread of its own, to be
// started first thing in main(): connecting to the display leaves a core
// free for it, and the window's first line of text then finds the
// configuration read instead of parsing it while the user waits. The thread
// is joined when the returned object goes. Where fontconfig is not the
// font system, nothing is started.
std::jthread readFontConfigurationAhead();

} // namespace platform
