#pragma once

namespace platform {

// Makes SIGTERM, SIGINT and SIGHUP end the application's event loop, as a
// click on Exit does, so that the window is destroyed in order and takes
// its fetch with it instead of leaving it running. Call once, after the
// application object exists. Does nothing on Windows.
void quitOnTerminationSignals();

} // namespace platform
