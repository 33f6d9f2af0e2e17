#pragma once

#include "adodb/Connection.h"

#include <QDialog>
#include <QString>

class QPushButton;

// The older launcher: three buttons into the hospital information form, the
// build-file window and the report parameters dialog, each opened modally on
// the connection and the hospital name and address the launcher was given.
class frmMain : public QDialog
{
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Keeps the shared connection and the hospital's name and address lines.
    void InitializeForm(const adodb::ConnectionPtr &pobjConnection, const QString &pstrHospitalName,
                        const QString &pstrHospitalAddress1, const QString &pstrHospitalAddress2);
    // Shows the launcher modally; returns when it has closed.
    void LoadForm();

    void cmdEditHospitalInfo_Click();
    void cmdGenerateData_Click();
    void cmdReports_Click();

    const adodb::ConnectionPtr &connection() const { return m_connection; }

    static const QString kCaption;

    QPushButton *cmdEditHospitalInfo = nullptr;
    QPushButton *cmdGenerateData = nullptr;
    QPushButton *cmdReports = nullptr;

public slots:
    // The close box ends here, where the launcher unloads.
    void done(int result) override;

private:
    adodb::ConnectionPtr m_connection;
    QString m_hospitalName;
    QString m_hospitalAddress1;
    QString m_hospitalAddress2;
};

namespace legacy {

// What start-up opens after sign-in when asked for the launcher: frmMain on
// the session's connection with the hospital name and address read at start-up.
void OpenLauncher(const adodb::ConnectionPtr &pobjConnection);

} // namespace legacy
