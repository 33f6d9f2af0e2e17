#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace session {

// The sign-in dialog behind ShowMain: user name and password, and the
// database to work on (an embedded store folder or a SQL Server). On an
// empty store it asks for the first administrator instead, with the
// password typed twice. OK hands the typed values to the session, which
// decides whether the dialog closes.
class SignInDialog : public QDialog
{
    Q_OBJECT
public:
    enum DatabaseKind { EmbeddedStore = 0, SqlServer = 1 };

    explicit SignInDialog(QWidget *parent = nullptr);

    // Called on OK; true closes the dialog as accepted.
    void setAttempt(std::function<bool()> attempt) { m_attempt = std::move(attempt); }
    // Asked for a folder when Browse is pressed (a seam for tests).
    void setFolderPicker(std::function<QString(QWidget *, const QString &)> picker)
    {
        m_pickFolder = std::move(picker);
    }

    void setFirstAdministratorMode(bool on);
    bool firstAdministratorMode() const { return m_firstAdministrator; }

    DatabaseKind databaseKind() const;
    void setDatabaseKind(DatabaseKind kind);

    // Empties the password boxes and puts the cursor in the first one.
    void clearPasswords();

    // While a refused sign-in's pause runs the dialog says "Please wait…"
    // and takes no input; afterwards it is as before.
    void setWaiting(bool waiting);
    static const QString kPleaseWait;

    QLabel *lblHeading;
    QLineEdit *txtUserName;
    QLineEdit *txtPassword;
    QLabel *lblConfirm;
    QLineEdit *txtConfirm;
    QComboBox *cboDatabase;
    QLabel *lblStoreFolder;
    QLineEdit *txtStoreFolder;
    QPushButton *cmdBrowse;
    QLabel *lblServer;
    QLineEdit *txtServer;
    QLabel *lblWait;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

private:
    void onOK();
    void onBrowse();
    void updateDatabaseFields();

    std::function<bool()> m_attempt;
    std::function<QString(QWidget *, const QString &)> m_pickFolder;
    bool m_firstAdministrator = false;
};

} // namespace session
