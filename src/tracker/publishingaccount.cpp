#include "publishingaccount.h"

#include <QSettings>

namespace {

const QString HostKey = QStringLiteral("publishing/host");
const QString PortKey = QStringLiteral("publishing/port");
const QString UserKey = QStringLiteral("publishing/account");

} // namespace

PublishingAccount::PublishingAccount(QObject *parent) : QObject(parent)
{
    connect(&m_keyring, &publishing::Keyring::passwordRead, this, &PublishingAccount::passwordRead);
    connect(&m_keyring, &publishing::Keyring::passwordWritten, this,
            &PublishingAccount::passwordWritten);
}

void PublishingAccount::load()
{
    const QSettings settings;
    const QString host = settings.value(HostKey).toString();
    m_builtIn = host.isEmpty();
    if (m_builtIn) {
        m_account = publishing::builtInAccount();
        Q_EMIT ready(m_account);
        return;
    }
    m_account = { host, settings.value(UserKey).toString(), QByteArray(),
                  settings.value(PortKey, 0).toInt() };
    m_keyring.readPassword(m_account);
}

void PublishingAccount::save(const publishing::FtpAccount &account)
{
    QSettings settings;
    settings.setValue(HostKey, account.host);
    settings.setValue(PortKey, account.port);
    settings.setValue(UserKey, account.user);
    m_builtIn = false;
    m_account = account;
    m_keyring.writePassword(account);
    Q_EMIT ready(m_account);
}

void PublishingAccount::setPasswordForThisRun(const QByteArray &password)
{
    m_account.password = password;
    Q_EMIT ready(m_account);
}

void PublishingAccount::passwordRead(const publishing::KeyringAnswer &answer)
{
    switch (answer.result) {
    case publishing::KeyringAnswer::Result::Found:
        m_inMemoryOnly = false;
        m_account.password = answer.password;
        Q_EMIT ready(m_account);
        return;
    case publishing::KeyringAnswer::Result::NotFound:
        Q_EMIT passwordNeeded(QStringLiteral("The keyring holds no password for %1 on %2.")
                                      .arg(m_account.user, m_account.host));
        return;
    default:
        m_inMemoryOnly = true;
        Q_EMIT passwordNeeded(QStringLiteral("No keyring answers (%1): the password is kept "
                                             "only while the tracker runs.")
                                      .arg(answer.reason));
        return;
    }
}

void PublishingAccount::passwordWritten(const publishing::KeyringAnswer &answer)
{
    m_inMemoryOnly = answer.result != publishing::KeyringAnswer::Result::Stored;
}
