#pragma once

#include "SetupChecks.h"

#include "adodb/Connection.h"

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The DOH report setup dialog: paediatric age limit and the newborn and
// surgery service codes the report procedures use, with a service look-up
// beside each code. One object for the whole run: its controls are rebuilt on
// each open, its two flags and its connection field are not.
class frmDOHSetup : public QDialog
{
    Q_OBJECT
public:
    // The dialog object of this run, created on first use.
    static frmDOHSetup &instance();

    // Stores the reference to the shared connection.
    void InitializeForm(const adodb::ConnectionPtr &connection);
    // Loads the setup and shows the dialog modally; returns when it has closed.
    void LoadForm();

    // What a service look-up found.
    using ServiceDescription = setup::ServiceDescription;
    enum class LookupMode { Pick, Refresh };

    // Fills the boxes from the setup record, or with the defaults when none exists.
    void LoadSetup();
    // Validates, stores the three values, confirms and closes; invalid values
    // are reported and nothing is sent.
    void SaveSetup();
    // Shows every mistake in one "Notification" box; true when there is none.
    bool ValidateSetup();
    // Pick: a code chosen in the code search; refresh: the description of the typed code.
    void LookupServiceCode(LookupMode mode, QLineEdit *codeBox, QLineEdit *descriptionBox);
    // The service's description; "<undefined>" for an unknown code, "" without
    // a database call for an empty one.
    ServiceDescription GetServiceDescription(const QString &code);

    bool isChanged() const { return m_changed; }
    bool isFirstTime() const { return m_firstTime; }
    const adodb::ConnectionPtr &connection() const { return m_connection; }

    // The controls of the current open (rebuilt by LoadForm).
    QLineEdit *txtPediaAge = nullptr;
    QLineEdit *txtNewBornCode = nullptr;
    QPushButton *cmdNewbornCode = nullptr;
    QLineEdit *txtSurgeryCode = nullptr;
    QPushButton *cmdSurgeryCode = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLineEdit *txtNewbornDesc = nullptr;
    QLineEdit *txtSurgeryDesc = nullptr;
    QFrame *linSeparator = nullptr;

    static const QString kCaption;
    static const QString kFirstTimeCaption;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    explicit frmDOHSetup(QWidget *parent = nullptr);

    void buildControls();
    void clearControls();
    QLabel *addLabel(const QString &text, int left, int top, int width, int height);
    QLineEdit *addTextBox(int left, int top, int width, int height);
    QPushButton *addButton(const QString &text, int left, int top, int width, int height);
    void cancelClicked();
    void unloadForm();
    void requireConnection() const;

    adodb::ConnectionPtr m_connection;
    bool m_changed = false;
    bool m_firstTime = false;
    // Focus events while the controls are being torn down are not the user's.
    bool m_rebuilding = false;
    bool m_closing = false;
    QList<QWidget *> m_controls;
};
