#include "mergedecision.h"

namespace publishing {

namespace {

bool done(const QByteArray &flags, qsizetype at)
{
    return at < flags.size() && flags[at] == '1';
}

bool undoneHere(const QByteArray &local, const QByteArray &record, qsizetype at)
{
    return done(record, at) && !done(local, at);
}

} // namespace

QByteArray serverOnly(const QByteArray &local, const QByteArray &server, const QByteArray &record)
{
    QByteArray only(local.size(), '0');
    for (qsizetype at = 0; at < local.size(); ++at) {
        if (done(server, at) && !done(local, at) && !undoneHere(local, record, at))
            only[at] = '1';
    }
    return only;
}

QByteArray merged(const QByteArray &local, const QByteArray &server, const QByteArray &record)
{
    QByteArray result = local;
    for (qsizetype at = 0; at < local.size(); ++at) {
        if (done(server, at) && !undoneHere(local, record, at))
            result[at] = '1';
    }
    return result;
}

bool serverHoldsOurs(const QByteArray &ours, const QByteArray &server, const QByteArray &record)
{
    for (qsizetype at = 0; at < ours.size(); ++at) {
        if (done(ours, at) != done(server, at) && (done(ours, at) || undoneHere(ours, record, at)))
            return false;
    }
    return true;
}

} // namespace publishing
