#include "publisher.h"

#include "ftpaccount.h"
#include "publishrun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace publishing {

namespace {

// How soon a signal to a command-line caller reaches the clients.
constexpr int InterruptionCheckMs = 50;

} // namespace

FtpAccount builtInAccount()
{
    const ftpaccount::Account account = ftpaccount::builtIn();
    return { QString::fromUtf8(account.host.data(), qsizetype(account.host.size())),
             QString::fromUtf8(account.user.data(), qsizetype(account.user.size())),
             QByteArray(account.password.data(), qsizetype(account.password.size())), 0 };
}

Publisher::Publisher(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<publishing::PublishOutcome>();
}

Publisher::~Publisher() = default;

void Publisher::start(const Options &options)
{
    if (m_run)
        return;
    m_run = std::make_unique<PublishRun>(options);
    connect(m_run.get(), &PublishRun::finished, this, &Publisher::runFinished);
    m_run->start();
}

bool Publisher::isRunning() const
{
    return m_run != nullptr;
}

void Publisher::cancel()
{
    if (m_run)
        m_run->cancel();
}

void Publisher::runFinished(const PublishOutcome &outcome)
{
    // The run goes once its last signal has been delivered.
    m_run.release()->deleteLater();
    Q_EMIT finished(outcome);
}

PublishOutcome publishAndWait(const Publisher::Options &options, bool (*interrupted)())
{
    Publisher publisher;
    PublishOutcome outcome;
    QEventLoop loop;
    QObject::connect(&publisher, &Publisher::finished, &loop,
                     [&outcome, &loop](const PublishOutcome &result) {
                         outcome = result;
                         loop.quit();
                     });
    QTimer watch;
    if (interrupted) {
        QObject::connect(&watch, &QTimer::timeout, &publisher, [&publisher, interrupted] {
            if (interrupted())
                publisher.cancel();
        });
        watch.start(InterruptionCheckMs);
    }
    publisher.start(options);
    loop.exec();
    // The finished run is deleted later, from the event loop, and a caller
    // without one never gets there: its working copies would stay in the
    // temporary folder.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return outcome;
}

} // namespace publishing
