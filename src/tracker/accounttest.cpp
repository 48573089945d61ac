#include "accounttest.h"

#include "clientrun.h"
#include "loginfile.h"

#include <QFile>

using publishing::ClientResult;

AccountTest::AccountTest(QObject *parent) : QObject(parent) { }

AccountTest::~AccountTest() = default;

bool AccountTest::isRunning() const
{
    return m_client && m_client->isRunning();
}

void AccountTest::start(const publishing::FtpAccount &account, const QString &uploadClient)
{
    if (isRunning())
        return;
    QString error;
    m_login = std::make_unique<publishing::LoginFile>(account, &error);
    QFile probe(m_probeFolder.filePath(ProbeName));
    if (!m_login->valid() || !probe.open(QIODevice::WriteOnly) || probe.write("probe\r\n") != 7) {
        Q_EMIT finished(false,
                        QStringLiteral("Not tested: ")
                                + (error.isEmpty() ? probe.errorString() : error));
        return;
    }
    probe.close();
    m_client = std::make_unique<publishing::ClientRun>();
    connect(m_client.get(), &publishing::ClientRun::finished, this, &AccountTest::ended);
    m_client->start(uploadClient,
                    publishing::ClientRun::commonArguments(*m_login, account.port, LimitMs)
                            + QStringList { QStringLiteral("-V"), QStringLiteral("-Y"),
                                            QStringLiteral("DELE ") + ProbeName,
                                            QStringLiteral("."), ProbeName },
                    m_probeFolder.path(), *m_login, LimitMs);
}

void AccountTest::ended(const ClientResult &result)
{
    switch (result.kind) {
    case ClientResult::Kind::Succeeded:
        Q_EMIT finished(true, QStringLiteral("Connected: the account may write here"));
        return;
    case ClientResult::Kind::LoginRefused:
        Q_EMIT finished(false,
                        QStringLiteral("The server refused the login: check the account "
                                       "and the password"));
        return;
    case ClientResult::Kind::Unreachable:
    case ClientResult::Kind::TimedOut:
        Q_EMIT finished(false, QStringLiteral("The server cannot be reached: ") + result.reason);
        return;
    default:
        Q_EMIT finished(false,
                        QStringLiteral("Connected, but the account may not write here: ")
                                + result.reason);
        return;
    }
}
