#pragma once

#include "keyring.h"
#include "publisher.h"

#include <QObject>

// The account the tracker publishes with: host, port and account name kept
// with QSettings, the password in the desktop's keyring and never in a file.
// Where no keyring answers, the password lives in memory for this run only.
// Without an account of the player's own, the built-in one is used.
class PublishingAccount : public QObject
{
    Q_OBJECT

public:
    explicit PublishingAccount(QObject *parent = nullptr);

    // Reads the settings and, for an account of the player's own, asks the
    // keyring for its password; ready() follows.
    void load();
    // Keeps a new account: its settings at once, its password in the keyring.
    void save(const publishing::FtpAccount &account);
    // A password given for this run only (no keyring answered).
    void setPasswordForThisRun(const QByteArray &password);

    publishing::FtpAccount account() const { return m_account; }
    bool isBuiltIn() const { return m_builtIn; }
    // No keyring answered: the password is kept in memory only.
    bool inMemoryOnly() const { return m_inMemoryOnly; }

Q_SIGNALS:
    // The account can publish.
    void ready(const publishing::FtpAccount &account);
    // The keyring holds no password, or none answered: the window asks.
    void passwordNeeded(const QString &why);

private:
    void passwordRead(const publishing::KeyringAnswer &answer);
    void passwordWritten(const publishing::KeyringAnswer &answer);

    publishing::Keyring m_keyring;
    publishing::FtpAccount m_account;
    bool m_builtIn = true;
    bool m_inMemoryOnly = false;
};
