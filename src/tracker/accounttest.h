#pragma once

#include "publisher.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

namespace publishing {
class ClientRun;
class LoginFile;
struct ClientResult;
} // namespace publishing

// Tries an account on the spot: logs in, uploads a small probe and removes
// it again, so "may write here" is what the server really allows. Runs the
// client from the event loop; answers once, in words.
class AccountTest : public QObject
{
    Q_OBJECT

public:
    explicit AccountTest(QObject *parent = nullptr);
    ~AccountTest() override;

    void start(const publishing::FtpAccount &account,
               const QString &uploadClient = QStringLiteral("ncftpput"));
    bool isRunning() const;

    static inline const QString ProbeName = QStringLiteral(".huntmark-write-test");
    static constexpr int LimitMs = 20000;

Q_SIGNALS:
    void finished(bool writable, const QString &verdict);

private:
    void ended(const publishing::ClientResult &result);

    std::unique_ptr<publishing::LoginFile> m_login;
    std::unique_ptr<publishing::ClientRun> m_client;
    QTemporaryDir m_probeFolder;
};
