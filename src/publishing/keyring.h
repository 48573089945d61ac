#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The account's password kept in the desktop's keyring through the Secret
// Service, one entry per host, port and account, shared by every program
// that publishes. Asynchronous: each request answers by a signal from the
// event loop. Where no keyring answers, the caller keeps the password in
// memory only; it is never written to a file here.
namespace publishing {

struct FtpAccount;

struct KeyringAnswer
{
    enum class Result {
        Stored, // written into the keyring
        Found, // read from the keyring: see password
        NotFound, // the keyring answered and holds no password for the account
        NoKeyring, // no keyring answered, or it refused: keep the password in memory only
    };
    Result result = Result::NoKeyring;
    QByteArray password;
    QString reason; // why, in words, when NoKeyring
};

class Keyring : public QObject
{
    Q_OBJECT

public:
    explicit Keyring(QObject *parent = nullptr);

    // The entry's name in the keyring: the same for every program.
    static QString entryKey(const FtpAccount &account);

    void readPassword(const FtpAccount &account); // answers by passwordRead()
    void writePassword(const FtpAccount &account); // stores account.password; passwordWritten()

Q_SIGNALS:
    void passwordRead(const publishing::KeyringAnswer &answer);
    void passwordWritten(const publishing::KeyringAnswer &answer);
};

// For command-line callers: a read in a local event loop.
KeyringAnswer readPasswordAndWait(const FtpAccount &account);
KeyringAnswer writePasswordAndWait(const FtpAccount &account);

} // namespace publishing

Q_DECLARE_METATYPE(publishing::KeyringAnswer)
