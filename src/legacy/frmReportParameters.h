#pragma once

#include "adodb/Connection.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The older report parameters dialog: the user picks a report by name, a
// month or the whole year and a year, sees whether that period's data was
// generated (OK opens the report only then) and opens the report in the
// viewer, as many times as he likes until Cancel. The reports, their files
// and values are the catalogue's, shared with the build-file window's Print.
class frmReportParameters : public QDialog
{
    Q_OBJECT
public:
    explicit frmReportParameters(QWidget *parent = nullptr);
    ~frmReportParameters() override;

    // Keeps the shared connection and the hospital's name and address lines.
    void InitializeForm(const adodb::ConnectionPtr &pobjConnection, const QString &pstrHospitalName,
                        const QString &pstrHospitalAddress1, const QString &pstrHospitalAddress2);
    // Fills the dialog and shows it modally; returns when it has closed.
    void LoadForm();
    // Everything LoadForm does before showing the dialog.
    void PrepareForm();

    // Whether the chosen period's data of the chosen report was generated,
    // shown in the status label and by OK being enabled or not.
    enum class Status { Generated, NotGenerated, Incomplete };
    void CheckStatus();

    // The controls' events, as the user raises them.
    void cboReportName_Click();
    void cboMonth_Click();
    void txtYear_Change();
    void cmdOK_Click();
    void cmdCancel_Click();

    // The date the dialog takes as today (month and year defaults); the
    // system date unless a test fixes it.
    void setTodayProvider(std::function<QDate()> today) { m_today = std::move(today); }

    const adodb::ConnectionPtr &connection() const { return m_connection; }
    bool isLoading() const { return m_loading; }

    static const QString kCaption;
    // "Yearly", then January to December: position m is month m.
    static QStringList MonthChoices();
    static const QString kNoMonthlyData;
    static const QString kIncompleteMonthlyData;
    static const QString kYearMustBeFourDigits;

    QLabel *Label2 = nullptr;
    QComboBox *cboReportName = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cboMonth = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtYear = nullptr;
    QLabel *lblLastUpdated = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

public slots:
    // Cancel and the close box end here, where the dialog unloads.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    // The year text is four digits; otherwise says so. Every date the dialog
    // sends or hands a report is built from it.
    bool RequireFourDigitYear() const;
    // The section whose generated state a report name shows: its own, but
    // for "II.6 Death", which prints the deaths section's figures.
    static QString GeneratedBy(const QString &name);
    // Whether the section of that title was generated for the period; the
    // last matching log row's date goes to lastUpdated (when asked for).
    bool TitleGenerated(const QString &title, const QString &firstDate, const QString &lastDate, QString *lastUpdated);
    // The same for one month of the year typed.
    bool MonthGenerated(const QString &title, int month, QString *lastUpdated);
    void ApplyStatus(Status status);
    void OpenChosenReport();
    QDate Today() const;

    adodb::ConnectionPtr m_connection;
    QString m_hospitalName;
    QString m_hospitalAddress1;
    QString m_hospitalAddress2;
    std::function<QDate()> m_today;
    bool m_loading = false;
};
