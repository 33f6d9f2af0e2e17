// Report preview: which report file a row opens, with which values and
// header, for which dates; the checks before it opens, the failures it
// reports step by step, and Print with no row highlighted.
#include "BuildFileFixture.h"

#include "../reporting/ReportTestSupport.h"
#include "support/ShownReports.h"

#include "catalogue/ReportFiles.h"
#include "forms/MousePointer.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <optional>

using namespace buildfile_tests;

namespace {

const QString kHospital = QStringLiteral("Santa Niña General Hospital");
const QString kAddress = QStringLiteral("123 Rizal Avenue, San José, Nueva Ecija");
const QString kNotGenerated =
    QStringLiteral("Generate data first for the specified year/month before a report can be generated.");
const QString kHighlightFirst = QStringLiteral("Highlight a report in the list, then click Print.");
const QString kUpdated = QStringLiteral("March 15, 2026 | 10:00:00");

using Shown = testing_support::ShownReport;

class PreviewTest : public BuildFileFixture
{
protected:
    void SetUp() override
    {
        BuildFileFixture::SetUp();
        modCrystal::pobjReport.reset();
        modSysConstants::pstrHospitalName = kHospital;
        modSysConstants::pstrHospitalAddress1 = kAddress;
        modSysConstants::pstrHospitalAddress2.clear();
        m_user = std::make_shared<testing_support::FakeCurrentUser>();
        m_user->server = m_store.folder();
        modSysConstants::pobjCurrentUser = m_user;
    }
    void TearDown() override
    {
        catalogue::SetReportFolder(QString());
        modCrystal::pobjReport.reset();
        modSysConstants::pobjCurrentUser.reset();
        BuildFileFixture::TearDown();
    }

    // Every item listed, the way a hospital that shows them all sees them.
    void OpenWithEveryItem()
    {
        for (auto it = modSysConstants::pbReportItemFlags.begin(); it != modSysConstants::pbReportItemFlags.end(); ++it)
            it.value() = true;
        modSysConstants::IsAllowERCases = true;
        modSysConstants::IsAllowConsultationCauses = true;
        Open();
    }

    QList<Shown> Previewing(const std::function<void()> &command)
    {
        return testing_support::Previewing(m_form.get(), command);
    }

    void Highlight(const QString &title, bool generated = true)
    {
        QTreeWidgetItem *row = Row(title);
        if (generated)
            row->setText(frmNewDOHBuildFile::kLastUpdatedColumn, kUpdated);
        m_form->lvwReport->setCurrentItem(row);
    }

    std::shared_ptr<testing_support::FakeCurrentUser> m_user;
};

// The period's dates, as the report's two date parameters receive them.
struct PeriodCase
{
    const char *name;
    const char *year;
    const char *period;
    const char *first;
    const char *last;
};

void PrintTo(const PeriodCase &c, std::ostream *os)
{
    *os << c.name;
}

class PreviewDates : public PreviewTest, public ::testing::WithParamInterface<PeriodCase>
{
};

// The report items, their files and what each is handed, as the DOH
// reports are laid out; "dates" and "hospital, dates" stand for the values.
struct MappingCase
{
    const char *title;
    const char *file;
    enum { Year, Dates, HospitalAndDates } values;
    bool header;
};

const MappingCase kMappings[] = {
    {"I. Hospital General Information", "rptNewDOHHospitalGeneralInformation.rpt", MappingCase::Year, false},
    {"I.3.4 Allocation of Beds", "rptNewDOHBedOccupancyRate.rpt", MappingCase::Dates, true},
    {"I.9 Laboratory Services", "rptNewDOHLaboratoryServices.rpt", MappingCase::HospitalAndDates, false},
    {"II. Hospital Operations. A.Summary of Patients in the Hospital", "rptNewDOHSummaryOfPatientsInHospital.rpt",
     MappingCase::Dates, true},
    {"II. Hospital Operations. B. Discharges", "rptNewDOHInpatientDischargesByService.rpt", MappingCase::Dates, true},
    {"II. B.1. Average Length of Stay (ALOS)", "rptNewDOHALOSAndMorbidity.rpt", MappingCase::Dates, true},
    {"II. B.2. Top 10 Leading Causes of Morbidity", "rptNewDOHLeadingCausesOfMorbidity.rpt", MappingCase::Dates, true},
    {"II. B.3 Total Number of Deliveries and B.4 Outpatient Visits", "rptDeliveriesAndOutpatientVisits.rpt",
     MappingCase::Dates, true},
    {"II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen", "rptERTestingAndOthers.rpt",
     MappingCase::Dates, true},
    {"II. C. Deaths 3.Top 10 Leading Causes of Mortality", "rptNewDOHLeadingCausesOfMortality.rpt", MappingCase::Dates,
     true},
    {"II.8 Surgical Operations", "rptNewDOHSurgicalOperationsByMedicareType.rpt", MappingCase::Dates, true},
    {"II.9.1 10 Leading Major Operations", "rptNewDOHTop10LeadingMajorOperation.rpt", MappingCase::Dates, true},
    {"II.9.2 10 Leading Minor Operations", "rptNewDOHTop10LeadingMinorOperation.rpt", MappingCase::Dates, true},
    {"II.9.3 10 Leading Causes of Emergency Cases(OLD)", "rptNewDOHLeadingCausesOfERCases.rpt", MappingCase::Dates,
     true},
    {"III.11.4 Leading Causes of Consultation (OPD)(OLD)", "rptNewDOHLeadingCausesOfOPDConsultations.rpt",
     MappingCase::Dates, true},
    {"II. C. Deaths", "rptNewDOHDeathsNew.rpt", MappingCase::Dates, true},
    {"II. D. Health Associated Infections", "rtpHealthAssociatedInf.rpt", MappingCase::Dates, true},
    {"II. E. Surgical Operations", "rptSurgicalProcedure.rpt", MappingCase::Dates, true},
};

} // namespace

TEST_P(PreviewDates, HandsTheReportThePeriodsDates)
{
    const PeriodCase &c = GetParam();
    Open();
    Choose(QString::fromUtf8(c.year), QString::fromUtf8(c.period));
    Highlight(kDeaths);
    const QList<Shown> shown = Previewing([&] { m_form->cmdPrint_Click(); });
    ASSERT_EQ(shown.size(), 1) << m_box->prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(shown[0].values, (QStringList{QString::fromUtf8(c.first), QString::fromUtf8(c.last)}));
    EXPECT_TRUE(m_box->shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Periods, PreviewDates,
    ::testing::Values(PeriodCase{"WholeYear", "2024", "Yearly", "01/01/2024", "12/31/2024"},
                      PeriodCase{"LeapFebruary", "2024", "February", "02/01/2024", "02/29/2024"},
                      PeriodCase{"February", "2023", "February", "02/01/2023", "02/28/2023"},
                      PeriodCase{"December", "2024", "December", "12/01/2024", "12/31/2024"},
                      PeriodCase{"April", "2026", "April", "04/01/2026", "04/30/2026"},
                      PeriodCase{"SecondQuarter", "2024", "Second Quarter", "04/01/2024", "06/30/2024"},
                      PeriodCase{"SecondSemester", "2025", "Second SemiAnnual", "07/01/2025", "12/31/2025"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PreviewTest, EveryRowOpensItsReportWithItsValuesAndHeader)
{
    OpenWithEveryItem();
    Choose(QStringLiteral("2026"), QStringLiteral("March"));
    ASSERT_EQ(m_form->lvwReport->topLevelItemCount(), int(std::size(kMappings)));
    for (const MappingCase &c : kMappings) {
        const QString title = QString::fromUtf8(c.title);
        SCOPED_TRACE(c.title);
        Highlight(title);
        const QList<Shown> shown = Previewing([&] { m_form->cmdPrint_Click(); });
        ASSERT_EQ(shown.size(), 1) << m_box->prompts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(shown[0].caption, title);
        EXPECT_EQ(shown[0].file, QString::fromUtf8(c.file));
        const QStringList dates = {QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")};
        const QStringList hospital = {kHospital, kAddress, QString()};
        switch (c.values) {
        case MappingCase::Year:
            EXPECT_EQ(shown[0].values, QStringList{QStringLiteral("2026")});
            break;
        case MappingCase::Dates:
            EXPECT_EQ(shown[0].values, dates);
            break;
        case MappingCase::HospitalAndDates:
            EXPECT_EQ(shown[0].values, hospital + dates);
            break;
        }
        EXPECT_EQ(shown[0].header, c.header ? std::optional(hospital) : std::nullopt);
        // The hourglass while the report is prepared and shown; the default after.
        EXPECT_EQ(shown[0].pointer, forms::MousePointer::Hourglass);
        EXPECT_EQ(forms::GetMousePointer(m_form.get()), forms::MousePointer::Default);
        EXPECT_FALSE(modCrystal::pobjReport) << "closing the viewer releases the report";
    }
    EXPECT_TRUE(m_box->shown().isEmpty());
}

TEST_F(PreviewTest, OnlyTheFirstRowOpensWithoutGeneratedData)
{
    Open();
    Highlight(kGeneralInfo, false);
    ASSERT_EQ(m_form->lvwReport->indexOfTopLevelItem(Row(kGeneralInfo)), 0);
    EXPECT_EQ(Previewing([&] { m_form->cmdPrint_Click(); }).size(), 1);
    EXPECT_TRUE(m_box->shown().isEmpty());

    Highlight(kDischarges, false);
    EXPECT_TRUE(Previewing([&] { m_form->cmdPrint_Click(); }).isEmpty());
    ASSERT_EQ(m_box->shown().size(), 1);
    EXPECT_EQ(m_box->shown()[0].prompt, kNotGenerated);
    EXPECT_EQ(m_box->shown()[0].icon(), forms::vbExclamation);
    EXPECT_EQ(m_box->shown()[0].title, QStringLiteral("Notification"));
    EXPECT_EQ(forms::GetMousePointer(m_form.get()), forms::MousePointer::Default);
}

TEST_F(PreviewTest, AMissingReportFileIsReportedStepByStepAndThePointerRestored)
{
    QTemporaryDir empty;
    catalogue::SetReportFolder(empty.path());
    Open();
    Highlight(kDeaths);
    EXPECT_TRUE(Previewing([&] { m_form->cmdPrint_Click(); }).isEmpty());
    const QString where = QStringLiteral("\r\nin prjVelmora.frmNewDOHBuildFile.PreviewReport at line ");
    const QString file = empty.path() + QStringLiteral("/rptNewDOHDeathsNew.rpt");
    EXPECT_EQ(
        m_box->prompts(),
        (QStringList{QStringLiteral("File not found: the report file '%1' does not exist.").arg(file) + where +
                         QStringLiteral("220"),
                     QStringLiteral("Object variable or With block variable not set") + where + QStringLiteral("222"),
                     QStringLiteral("The viewer has no report to show.") + where + QStringLiteral("224")}));
    for (const forms::MessageBoxRequest &box : m_box->shown()) {
        EXPECT_EQ(box.title, QStringLiteral("Application Error"));
        EXPECT_EQ(box.icon(), forms::vbExclamation);
    }
    EXPECT_EQ(forms::GetMousePointer(m_form.get()), forms::MousePointer::Default);
}

TEST_F(PreviewTest, PrintWithNoRowHighlightedSaysSoAndOpensNothing)
{
    Open();
    m_form->lvwReport->setCurrentItem(nullptr);
    m_form->lvwReport->clearSelection();
    EXPECT_TRUE(Previewing([&] { m_form->cmdPrint->click(); }).isEmpty());
    // Positions that name no row are refused the same way, whoever asks.
    EXPECT_TRUE(Previewing([&] {
                    m_form->PreviewReport(0);
                    m_form->PreviewReport(qint16(m_form->lvwReport->topLevelItemCount() + 1));
                }).isEmpty());
    ASSERT_EQ(m_box->shown().size(), 3);
    for (const forms::MessageBoxRequest &box : m_box->shown()) {
        EXPECT_EQ(box.prompt, kHighlightFirst);
        EXPECT_EQ(box.icon(), forms::vbExclamation);
        EXPECT_EQ(box.title, QStringLiteral("Notification"));
    }
    EXPECT_FALSE(modCrystal::pobjReport);
}
