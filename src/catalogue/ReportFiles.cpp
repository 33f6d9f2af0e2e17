#include "ReportFiles.h"

#include "com/Runtime.h"

namespace catalogue {

const QList<ReportFile> &ReportFiles()
{
    using V = ReportValues;
    static const QList<ReportFile> files = {
        {QStringLiteral("I. Hospital General Information"), QStringLiteral("rptNewDOHHospitalGeneralInformation.rpt"),
         V::Year, false},
        {QStringLiteral("I.3.4 Allocation of Beds"), QStringLiteral("rptNewDOHBedOccupancyRate.rpt"), V::Dates, true},
        {QStringLiteral("I.9 Laboratory Services"), QStringLiteral("rptNewDOHLaboratoryServices.rpt"),
         V::HospitalAndDates, false},
        {QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital"),
         QStringLiteral("rptNewDOHSummaryOfPatientsInHospital.rpt"), V::Dates, true},
        {QStringLiteral("II. Hospital Operations. B. Discharges"),
         QStringLiteral("rptNewDOHInpatientDischargesByService.rpt"), V::Dates, true},
        {QStringLiteral("II. B.1. Average Length of Stay (ALOS)"), QStringLiteral("rptNewDOHALOSAndMorbidity.rpt"),
         V::Dates, true},
        {QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity"),
         QStringLiteral("rptNewDOHLeadingCausesOfMorbidity.rpt"), V::Dates, true},
        {QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"),
         QStringLiteral("rptDeliveriesAndOutpatientVisits.rpt"), V::Dates, true},
        {QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"),
         QStringLiteral("rptERTestingAndOthers.rpt"), V::Dates, true},
        {QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality"),
         QStringLiteral("rptNewDOHLeadingCausesOfMortality.rpt"), V::Dates, true},
        {QStringLiteral("II.8 Surgical Operations"), QStringLiteral("rptNewDOHSurgicalOperationsByMedicareType.rpt"),
         V::Dates, true},
        {QStringLiteral("II.9.1 10 Leading Major Operations"),
         QStringLiteral("rptNewDOHTop10LeadingMajorOperation.rpt"), V::Dates, true},
        {QStringLiteral("II.9.2 10 Leading Minor Operations"),
         QStringLiteral("rptNewDOHTop10LeadingMinorOperation.rpt"), V::Dates, true},
        {QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)"),
         QStringLiteral("rptNewDOHLeadingCausesOfERCases.rpt"), V::Dates, true},
        {QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)"),
         QStringLiteral("rptNewDOHLeadingCausesOfOPDConsultations.rpt"), V::Dates, true},
        {QStringLiteral("II. C. Deaths"), QStringLiteral("rptNewDOHDeathsNew.rpt"), V::Dates, true},
        // Spelled "rtp" in the suite's own file name.
        {QStringLiteral("II. D. Health Associated Infections"), QStringLiteral("rtpHealthAssociatedInf.rpt"), V::Dates,
         true},
        {QStringLiteral("II. E. Surgical Operations"), QStringLiteral("rptSurgicalProcedure.rpt"), V::Dates, true},
    };
    return files;
}

const ReportFile *FindReportFile(const QString &title)
{
    for (const ReportFile &entry : ReportFiles())
        if (entry.title == title)
            return &entry;
    return nullptr;
}

const QList<const ReportFile *> &ReportParameterFiles()
{
    static const ReportFile olderDeaths{QStringLiteral("II.6 Death"), QStringLiteral("rptNewDOHDeaths.rpt"),
                                        ReportValues::Dates, true};
    static const QList<const ReportFile *> files = [] {
        const QString titles[] = {
            QStringLiteral("I. Hospital General Information"),
            QStringLiteral("I.3.4 Allocation of Beds"),
            QStringLiteral("I.9 Laboratory Services"),
            QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital"),
            QStringLiteral("II. Hospital Operations. B. Discharges"),
            QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity"),
            QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"),
            olderDeaths.title,
            QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality"),
            QStringLiteral("II.8 Surgical Operations"),
            QStringLiteral("II.9.1 10 Leading Major Operations"),
            QStringLiteral("II.9.2 10 Leading Minor Operations"),
            QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)"),
            QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)"),
        };
        QList<const ReportFile *> list;
        for (const QString &title : titles) {
            const ReportFile *entry = title == olderDeaths.title ? &olderDeaths : FindReportFile(title);
            Q_ASSERT(entry);
            if (entry)
                list.append(entry);
        }
        return list;
    }();
    return files;
}

const ReportFile *FindReportParameterFile(const QString &title)
{
    for (const ReportFile *entry : ReportParameterFiles())
        if (entry->title == title)
            return entry;
    return nullptr;
}

namespace {
QString s_reportFolder;
}

QString ReportFolder()
{
    return s_reportFolder.isEmpty() ? com::App::Path() : s_reportFolder;
}

void SetReportFolder(const QString &folder)
{
    s_reportFolder = folder;
}

} // namespace catalogue
