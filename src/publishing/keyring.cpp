#include "keyring.h"

#include "publisher.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace publishing {

namespace {

// One service for every program that publishes, so they share one entry.
const QString Service = QStringLiteral("huntmark-publishing");
constexpr int FtpPort = 21;

// Never a plain file beside the settings when no keyring answers: the
// caller keeps the password in memory instead.
template<typename Job>
Job *newJob(const FtpAccount &account, QObject *parent)
{
    auto *job = new Job(Service, parent);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(Keyring::entryKey(account));
    return job;
}

QString noKeyringReason(const QKeychain::Job &job)
{
    const QString words = job.errorString();
    return words.isEmpty() ? QStringLiteral("no keyring answered")
                           : QStringLiteral("the keyring did not answer: %1").arg(words);
}

template<typename Request>
KeyringAnswer waitFor(const FtpAccount &account, Request request,
                      void (Keyring::*signal)(const KeyringAnswer &))
{
    Keyring keyring;
    KeyringAnswer answer;
    QEventLoop loop;
    QObject::connect(&keyring, signal, &loop, [&answer, &loop](const KeyringAnswer &result) {
        answer = result;
        loop.quit();
    });
    (keyring.*request)(account);
    loop.exec();
    return answer;
}

} // namespace

Keyring::Keyring(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<publishing::KeyringAnswer>();
}

QString Keyring::entryKey(const FtpAccount &account)
{
    return QStringLiteral("%1@%2:%3")
            .arg(account.user, account.host)
            .arg(account.port > 0 ? account.port : FtpPort);
}

void Keyring::readPassword(const FtpAccount &account)
{
    auto *job = newJob<QKeychain::ReadPasswordJob>(account, this);
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        KeyringAnswer answer;
        if (job->error() == QKeychain::NoError) {
            answer.result = KeyringAnswer::Result::Found;
            answer.password = job->textData().toUtf8();
        } else if (job->error() == QKeychain::EntryNotFound) {
            answer.result = KeyringAnswer::Result::NotFound;
        } else {
            answer.reason = noKeyringReason(*job);
        }
        Q_EMIT passwordRead(answer);
    });
    job->start();
}

void Keyring::writePassword(const FtpAccount &account)
{
    auto *job = newJob<QKeychain::WritePasswordJob>(account, this);
    // As text, so that the desktop's own keyring tools show it as it is.
    job->setTextData(QString::fromUtf8(account.password));
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        KeyringAnswer answer;
        if (job->error() == QKeychain::NoError)
            answer.result = KeyringAnswer::Result::Stored;
        else
            answer.reason = noKeyringReason(*job);
        Q_EMIT passwordWritten(answer);
    });
    job->start();
}

KeyringAnswer readPasswordAndWait(const FtpAccount &account)
{
    return waitFor(account, &Keyring::readPassword, &Keyring::passwordRead);
}

KeyringAnswer writePasswordAndWait(const FtpAccount &account)
{
    return waitFor(account, &Keyring::writePassword, &Keyring::passwordWritten);
}

} // namespace publishing
