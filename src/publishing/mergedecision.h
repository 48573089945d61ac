#pragma once

#include <QByteArray>

// What a publish decides from three flag texts of one progress file, each
// in catalog order and of the catalog's length: the local file, the
// server's, and the record of what this folder published last. An entry
// this folder deliberately undid is one the record says it published as
// done and the local file now says is not: that is the player's own
// decision, never a loss to refuse or a rival's mark to take back in.
namespace publishing {

// Done on the server, not done here, and not undone here on purpose.
QByteArray serverOnly(const QByteArray &local, const QByteArray &server, const QByteArray &record);

// The local flags with what a rival put on the server taken in: done on
// either side stays done, except what this folder deliberately undid.
QByteArray merged(const QByteArray &local, const QByteArray &server, const QByteArray &record);

// Whether every entry done in `ours` is done on the server as well, and
// nothing this folder deliberately undid is done there again.
bool serverHoldsOurs(const QByteArray &ours, const QByteArray &server, const QByteArray &record);

} // namespace publishing
