#pragma once

#include <QString>

namespace fetch {

// Removes what a run killed in the middle of a fetch may have left in the
// program folder: the download script, which holds the password, and the
// folders the download client keeps a download in until it is whole.
// Nothing else is touched, whatever its name looks like.
void clearFetchLeftovers(const QString &programFolder);

} // namespace fetch
