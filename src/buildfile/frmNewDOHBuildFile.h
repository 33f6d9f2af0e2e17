#pragma once

#include "adodb/Connection.h"

#include <QDate>
#include <QDialog>
#include <QStringList>

#include <array>
#include <functional>

class ControlEvents;
class PictureBox;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;

// The build-file window: the main window. Lists the report sections with
// their last-generated time for the chosen period, generates the checked
// sections and opens the highlighted one's report.
class frmNewDOHBuildFile : public QDialog
{
    Q_OBJECT
public:
    explicit frmNewDOHBuildFile(QWidget *parent = nullptr);
    ~frmNewDOHBuildFile() override;

    // Keeps a reference to the shared connection.
    void InitializeForm(const adodb::ConnectionPtr &pobjConnection);
    // Fills the window and shows it modally; returns when it has closed.
    void LoadForm();
    // Everything LoadForm does before showing the window: the setup dialog
    // when no report setup exists, the period boxes, the rows, the log times.
    void PrepareForm();

    // Report list and status.
    void FillYearChoices();
    void FillPeriodChoices();
    void RefreshLastUpdated();
    void ClearReportMarks();
    void SetAllChecked(bool value);
    bool HasReportSetup();
    QString GetReportID(const QString &title) const;
    QString GetPeriodStartDate() const;
    QString GetPeriodEndDate() const;

    // Generation of the checked sections for the chosen period.
    void GenerateMonthlyData();
    // The prompt that ends a run in which some steps failed.
    static QString PartialSaveMessage(const QStringList &failedUploads, const QStringList &failedLogs);

    // Report list interaction.
    void RowColor();
    void ResetRowsColor();
    void chkAll_Click();
    void lvwReport_ItemCheck(QTreeWidgetItem *item);
    void lvwReport_ItemClick(QTreeWidgetItem *item);
    void lvwReport_DblClick();
    void lvwReport_GotFocus();
    void lvwReport_LostFocus();
    void cboYear_Click();
    void cboMonth_Click();

    // Report preview: opens the report of the row at the 1-based index for
    // the chosen period and shows it in the viewer window, modally.
    void PreviewReport(qint16 index);

    // Commands.
    void cmdGenerate_Click();
    // Previews the highlighted row; with none highlighted, says so.
    void cmdPrint_Click();
    void cmdEditHospitalInfo_Click();
    void cmdSetup_Click();
    // The chosen period's Check findings, as a report in the viewer.
    void cmdCheck_Click();
    void cmdCancel_Click();

    // Layout: re-lays the controls out for the client area's size, scaling
    // their places from the size of the previous call. The first call only
    // records the size.
    void ResizeControls();

    // The file where the window keeps its size and place between runs; the
    // program's own settings unless a test names another.
    void setSettingsFile(const QString &file) { m_settingsFile = file; }

    // The date the window takes as today (year and month defaults); the
    // system date unless a test fixes it.
    void setTodayProvider(std::function<QDate()> today) { m_today = std::move(today); }

    // A row's hidden mark ("0" or "1").
    static QString Mark(const QTreeWidgetItem *item);
    // How often the first activation gave the window its taskbar entry.
    int taskbarEntrySetups() const { return m_taskbarEntrySetups; }

    // Controls, named as in the window's design.
    QFrame *FraHead = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblYear = nullptr;
    QComboBox *cboYear = nullptr;
    QLabel *lblMonth = nullptr;
    QComboBox *cboMonth = nullptr;
    QTreeWidget *lvwReport = nullptr;
    QCheckBox *chkAll = nullptr;
    // Picture buttons and header links come in pairs at one place: index 0 is
    // the normal look, index 1 the highlighted one above it.
    std::array<PictureBox *, 2> PicPrint{};
    std::array<QLabel *, 2> lblPrint{};
    std::array<PictureBox *, 2> PicGenerate{};
    std::array<QLabel *, 2> lblGenerate{};
    std::array<PictureBox *, 2> PicCancel{};
    std::array<QLabel *, 2> lblCancel{};
    std::array<QLabel *, 2> lblInfo{};
    std::array<QLabel *, 2> lblSetup{};
    std::array<QLabel *, 2> lblCheck{};
    QProgressBar *pbMain = nullptr;
    QLabel *lblProgress = nullptr;
    QStatusBar *sbrMain = nullptr;
    QPushButton *cmdEditHospitalInfo = nullptr;
    QPushButton *cmdSetup = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdGenerate = nullptr;
    QPushButton *cmdCancel = nullptr;

    static constexpr int kNameColumn = 0;
    static constexpr int kLastUpdatedColumn = 1;
    static constexpr int kMarkColumn = 2;

public slots:
    // Every way out of the window (Cancel, Esc, the close box) ends here,
    // where the window unloads.
    void done(int result) override;

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    using Command = void (frmNewDOHBuildFile::*)();

    void CreateControls();
    // A picture button named by its caption ("Print": PicPrint, lblPrint and
    // the images print.png and print-highlighted.png) at its design place.
    void CreatePictureButton(std::array<PictureBox *, 2> &pictures, std::array<QLabel *, 2> &captions,
                             const QString &caption, double left);
    void CreateHeaderLink(std::array<QLabel *, 2> &link, const QString &name, const QString &text,
                          const QString &toolTip, double left, double top, double width, double widthHover,
                          double height);
    void ConnectCommands();
    // Connects both members of a picture button and their captions; answers
    // what the highlighted picture reports.
    ControlEvents *ConnectPictureButton(std::array<PictureBox *, 2> &pictures, std::array<QLabel *, 2> &captions,
                                        Command command);
    void ConnectHeaderLink(std::array<QLabel *, 2> &link, Command command);
    // Runs a command as an event handler: what it lets escape is reported.
    void RunCommand(Command command);
    void Form_Load();
    void Form_Unload();
    // The pointer over the window's own background clears every hover look.
    void Form_MouseMove();
    void RestoreWindowPlacement();
    void SaveWindowPlacement() const;
    void AddListedRows();
    void GiveOwnTaskbarEntry();
    void PaintRow(QTreeWidgetItem *item, bool marked);
    void SetMark(QTreeWidgetItem *item, bool marked);
    // Sets a row's check box from code, without it counting as the user's toggle.
    void SetChecked(QTreeWidgetItem *item, bool checked);
    void OnItemChanged(QTreeWidgetItem *item, int column);
    QDate Today() const;

    adodb::ConnectionPtr m_connection;
    std::function<QDate()> m_today;
    QString m_settingsFile;
    // The controls the layout moves, inside the header band and the picture
    // buttons too, in the order they were made.
    QList<QWidget *> m_layoutControls;
    // The client area's size at the previous layout; 0 until the first.
    int m_scaleWidth = 0;
    int m_scaleHeight = 0;
    bool m_loading = false;
    bool m_activatedOnce = false;
    int m_taskbarEntrySetups = 0;
    // Set only while the item-check handler turns "Select All" off.
    bool m_suppressSelectAll = false;
    // Depth of code that changes rows, so their changes are not taken as the user's.
    int m_rowUpdates = 0;
    // A check box toggled by the mouse also reports a click on its row; that
    // click must not re-mark the row just unchecked.
    bool m_checkToggledByUser = false;
};
