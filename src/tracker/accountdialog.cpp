#include "accountdialog.h"

#include "accounttest.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

AccountDialog::AccountDialog(const publishing::FtpAccount &account, bool inMemoryOnly,
                             QWidget *parent)
    : QDialog(parent), m_test(new AccountTest(this))
{
    setObjectName(QStringLiteral("AccountDialog"));
    setWindowTitle(QStringLiteral("Publishing Account"));
    auto *column = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    column->addLayout(form);
    const auto field = [this, form](const QString &caption, const QString &name, QWidget *box) {
        box->setObjectName(name);
        form->addRow(caption, box);
    };
    m_host = new QLineEdit(account.host);
    field(QStringLiteral("&Host:"), QStringLiteral("Host"), m_host);
    m_port = new QSpinBox;
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(QStringLiteral("21 (the usual)"));
    m_port->setValue(account.port);
    field(QStringLiteral("&Port:"), QStringLiteral("Port"), m_port);
    m_user = new QLineEdit(account.user);
    field(QStringLiteral("&Account:"), QStringLiteral("Account"), m_user);
    m_password = new QLineEdit(QString::fromUtf8(account.password));
    m_password->setEchoMode(QLineEdit::Password);
    field(QStringLiteral("Pass&word:"), QStringLiteral("Password"), m_password);

    auto *note =
            new QLabel(inMemoryOnly ? QStringLiteral("No keyring answers: the password is kept "
                                                     "only while the tracker runs.")
                                    : QStringLiteral("The password is kept in your desktop's "
                                                     "keyring, never in a file."));
    note->setWordWrap(true);
    column->addWidget(note);
    m_verdict = new QLabel;
    m_verdict->setObjectName(QStringLiteral("AccountVerdict"));
    m_verdict->setWordWrap(true);
    column->addWidget(m_verdict);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_testButton = buttons->addButton(QStringLiteral("&Test"), QDialogButtonBox::ActionRole);
    m_testButton->setObjectName(QStringLiteral("TestAccount"));
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_testButton, &QPushButton::clicked, this, &AccountDialog::test);
    connect(m_test, &AccountTest::finished, this, [this](bool, const QString &verdict) {
        m_verdict->setText(verdict);
        m_testButton->setEnabled(true);
    });
}

publishing::FtpAccount AccountDialog::account() const
{
    return { m_host->text().trimmed(), m_user->text().trimmed(), m_password->text().toUtf8(),
             m_port->value() };
}

void AccountDialog::test()
{
    m_verdict->setText(QStringLiteral("Testing..."));
    m_testButton->setEnabled(false);
    m_test->start(account(), m_uploadClient);
}
