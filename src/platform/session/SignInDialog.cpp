#include "SignInDialog.h"

#include "com/Runtime.h"
#include "forms/ErrorTrap.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace session {

const QString SignInDialog::kPleaseWait = QStringLiteral("Please wait\u2026");

SignInDialog::SignInDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(com::App::Title() + QStringLiteral(" - Sign In"));
    setModal(true);

    lblHeading = new QLabel(this);
    lblHeading->setWordWrap(true);
    txtUserName = new QLineEdit(this);
    txtPassword = new QLineEdit(this);
    txtPassword->setEchoMode(QLineEdit::Password);
    lblConfirm = new QLabel(QStringLiteral("Confirm password"), this);
    txtConfirm = new QLineEdit(this);
    txtConfirm->setEchoMode(QLineEdit::Password);

    cboDatabase = new QComboBox(this);
    cboDatabase->addItem(QStringLiteral("Embedded store"));
    cboDatabase->addItem(QStringLiteral("SQL Server"));
    lblStoreFolder = new QLabel(QStringLiteral("Store folder"), this);
    txtStoreFolder = new QLineEdit(this);
    cmdBrowse = new QPushButton(QStringLiteral("Browse..."), this);
    cmdBrowse->setAutoDefault(false);
    lblServer = new QLabel(QStringLiteral("Server"), this);
    txtServer = new QLineEdit(this);
    txtServer->setPlaceholderText(QStringLiteral("host, host,port or host\\instance"));

    lblWait = new QLabel(kPleaseWait, this);
    lblWait->hide();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("User name"), txtUserName);
    form->addRow(QStringLiteral("Password"), txtPassword);
    form->addRow(lblConfirm, txtConfirm);
    form->addRow(QStringLiteral("Database"), cboDatabase);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(txtStoreFolder, 1);
    folderRow->addWidget(cmdBrowse);
    form->addRow(lblStoreFolder, folderRow);
    form->addRow(lblServer, txtServer);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblWait);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHeading);
    layout->addLayout(form);
    layout->addLayout(buttons);

    m_pickFolder = [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("Store folder"), start);
    };

    connect(cmdOK, &QPushButton::clicked, this, [this] { forms::Guarded([this] { onOK(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { forms::Guarded([this] { onBrowse(); }); });
    connect(cboDatabase, &QComboBox::currentIndexChanged, this, [this] { updateDatabaseFields(); });

    setFirstAdministratorMode(false);
    updateDatabaseFields();
}

void SignInDialog::setFirstAdministratorMode(bool on)
{
    m_firstAdministrator = on;
    lblConfirm->setVisible(on);
    txtConfirm->setVisible(on);
    lblHeading->setText(on ? QStringLiteral("This store has no user yet. Create the first administrator account "
                                            "(the password needs at least 10 characters).")
                           : QStringLiteral("Sign in to %1.").arg(com::App::Title()));
    cmdOK->setText(on ? QStringLiteral("Create") : QStringLiteral("OK"));
}

SignInDialog::DatabaseKind SignInDialog::databaseKind() const
{
    return cboDatabase->currentIndex() == SqlServer ? SqlServer : EmbeddedStore;
}

void SignInDialog::setDatabaseKind(DatabaseKind kind)
{
    cboDatabase->setCurrentIndex(kind);
    updateDatabaseFields();
}

void SignInDialog::clearPasswords()
{
    txtPassword->clear();
    txtConfirm->clear();
    txtPassword->setFocus();
}

void SignInDialog::setWaiting(bool waiting)
{
    // The inputs are disabled one by one, not the dialog, whose label would
    // grey out with them.
    for (QWidget *input : std::initializer_list<QWidget *>{txtUserName, txtPassword, txtConfirm, cboDatabase,
                                                           txtStoreFolder, cmdBrowse, txtServer, cmdOK, cmdCancel})
        input->setEnabled(!waiting);
    lblWait->setVisible(waiting);
    if (waiting)
        lblWait->repaint();
}

void SignInDialog::onOK()
{
    if (m_attempt && m_attempt())
        accept();
}

void SignInDialog::onBrowse()
{
    const QString folder = m_pickFolder(this, txtStoreFolder->text());
    if (!folder.isEmpty())
        txtStoreFolder->setText(folder);
}

void SignInDialog::updateDatabaseFields()
{
    const bool embedded = databaseKind() == EmbeddedStore;
    lblStoreFolder->setVisible(embedded);
    txtStoreFolder->setVisible(embedded);
    cmdBrowse->setVisible(embedded);
    lblServer->setVisible(!embedded);
    txtServer->setVisible(!embedded);
}

} // namespace session
