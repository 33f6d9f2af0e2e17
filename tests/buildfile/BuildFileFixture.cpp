#include "BuildFileFixture.h"

#include "catalogue/ReportCatalogue.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "startup/modSysConstants.h"

namespace buildfile_tests {

namespace {

// The store, with the upload procedures answered as done without running:
// the window's tests look at what it sends and shows, not at the summaries.
class UploadsAnsweredBackend : public adodb::Backend
{
public:
    explicit UploadsAnsweredBackend(const QString &folder) : m_store(folder) {}
    adodb::ResultSet run(const QString &text) override
    {
        if (text.startsWith(QStringLiteral("Patient_Data..sp_DOH_Upload_")))
            return {};
        return m_store.run(text);
    }
    QString sourceName() const override { return m_store.sourceName(); }
    void beginTransaction() override { m_store.beginTransaction(); }
    void commitTransaction() override { m_store.commitTransaction(); }
    void rollbackTransaction() override { m_store.rollbackTransaction(); }
    embedded::Store &store() { return m_store.store(); }

private:
    embedded::EmbeddedBackend m_store;
};

} // namespace

void BuildFileFixture::SetUp()
{
    modSysConstants::plngUploadOption = 2;
    modSysConstants::IsAllowERCases = false;
    modSysConstants::IsAllowConsultationCauses = false;
    modSysConstants::pbReportItemFlags.clear();
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
        if (item.visibility == catalogue::Visibility::FixedFlag)
            modSysConstants::pbReportItemFlags.insert(item.title, item.fixedFlagValue);
    m_connection = std::make_shared<adodb::Connection>(std::make_unique<UploadsAnsweredBackend>(m_store.folder()));
}

void BuildFileFixture::TearDown()
{
    m_form.reset();
    modSysConstants::IsAllowERCases = false;
    modSysConstants::IsAllowConsultationCauses = false;
}

void BuildFileFixture::SaveReportSetup()
{
    m_connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
}

void BuildFileFixture::Open(const QDate &today)
{
    SaveReportSetup();
    m_form = std::make_unique<frmNewDOHBuildFile>();
    m_form->setTodayProvider([today] { return today; });
    m_form->InitializeForm(m_connection);
    m_form->PrepareForm();
    m_connection->statementLog().clear();
    m_box->clear();
}

void BuildFileFixture::SetStoreTime(const QDateTime &now)
{
    if (auto *answered = dynamic_cast<UploadsAnsweredBackend *>(m_connection->backend()))
        answered->store().setClock([now] { return now; });
}

QTreeWidgetItem *BuildFileFixture::Row(const QString &title) const
{
    for (int i = 0; i < m_form->lvwReport->topLevelItemCount(); ++i)
        if (m_form->lvwReport->topLevelItem(i)->text(0) == title)
            return m_form->lvwReport->topLevelItem(i);
    ADD_FAILURE() << "no row " << title.toStdString();
    return nullptr;
}

QStringList BuildFileFixture::Titles() const
{
    QStringList titles;
    for (int i = 0; i < m_form->lvwReport->topLevelItemCount(); ++i)
        titles.append(m_form->lvwReport->topLevelItem(i)->text(0));
    return titles;
}

void BuildFileFixture::Choose(const QString &year, const QString &period)
{
    const int y = m_form->cboYear->findText(year);
    const int p = m_form->cboMonth->findText(period);
    ASSERT_GE(y, 0);
    ASSERT_GE(p, 0);
    m_form->cboYear->setCurrentIndex(y);
    m_form->cboMonth->setCurrentIndex(p);
}

void BuildFileFixture::Check(const QString &title, bool checked)
{
    Row(title)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool BuildFileFixture::Checked(const QString &title) const
{
    return Row(title)->checkState(0) == Qt::Checked;
}

QString BuildFileFixture::Mark(const QString &title) const
{
    return Row(title)->text(2);
}

bool BuildFileFixture::PaintedMarked(const QString &title) const
{
    const QTreeWidgetItem *row = Row(title);
    const QColor orange(255, 128, 0);
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    bool marked = true;
    bool unmarked = true;
    for (int column = 0; column < 2; ++column) {
        const QColor background = row->background(column).color();
        const QColor text = row->foreground(column).color();
        marked = marked && background == orange && text == white;
        unmarked = unmarked && background == white && text == black;
    }
    EXPECT_TRUE(marked || unmarked) << "row " << title.toStdString() << " has neither colour pair";
    return marked;
}

} // namespace buildfile_tests
