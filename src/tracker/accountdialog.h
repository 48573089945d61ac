#pragma once

#include "publisher.h"

#include <QDialog>

class AccountTest;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// File > Publishing Account...: where and as whom the tracker publishes,
// with a test of the account on the spot.
class AccountDialog : public QDialog
{
    Q_OBJECT

public:
    AccountDialog(const publishing::FtpAccount &account, bool inMemoryOnly,
                  QWidget *parent = nullptr);

    publishing::FtpAccount account() const;
    // The test's client, for a test's own.
    void setUploadClient(const QString &client) { m_uploadClient = client; }
    void test();

private:
    QLineEdit *m_host;
    QSpinBox *m_port;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_testButton;
    QLabel *m_verdict;
    AccountTest *m_test;
    QString m_uploadClient = QStringLiteral("ncftpput");
};
