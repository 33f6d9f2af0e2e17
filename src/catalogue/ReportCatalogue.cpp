#include "ReportCatalogue.h"

namespace catalogue {

const QList<ReportItem> &ReportCatalogue()
{
    using V = Visibility;
    static const QList<ReportItem> items = {
        {1, QStringLiteral("I. Hospital General Information"), V::FixedFlag, true, QString(), false},
        {2, QStringLiteral("I.3.4 Allocation of Beds"), V::FixedFlag, false,
         QStringLiteral("sp_DOH_Upload_SectionI34"), false},
        {3, QStringLiteral("I.9 Laboratory Services"), V::FixedFlag, false, QStringLiteral("sp_DOH_Upload_SectionI9"),
         true},
        {4, QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital"), V::FixedFlag, true,
         QStringLiteral("sp_DOH_Upload_SectionII1"), false},
        {5, QStringLiteral("II. Hospital Operations. B. Discharges"), V::FixedFlag, true,
         QStringLiteral("sp_DOH_Upload_SectionII21"), false},
        {6, QStringLiteral("II. B.1. Average Length of Stay (ALOS)"), V::Always, true,
         QStringLiteral("sp_DOH_Upload_SectionII22"), false},
        {7, QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity"), V::FixedFlag, true,
         QStringLiteral("sp_DOH_Upload_SectionII3"), false},
        {8, QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"), V::Always, true,
         QStringLiteral("sp_DOH_Upload_DeliveriesAndOutpatientVisits"), false},
        {9, QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"), V::Always, true,
         QStringLiteral("sp_DOH_Upload_ERTestingAndOthers"), false},
        {10, QStringLiteral("II. C. Deaths"), V::FixedFlag, true, QStringLiteral("sp_DOH_Upload_SectionIII"), false},
        {11, QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality"), V::FixedFlag, true,
         QStringLiteral("sp_DOH_Upload_SectionII7"), false},
        {12, QStringLiteral("II.8 Surgical Operations"), V::FixedFlag, false, QStringLiteral("sp_DOH_Upload_SectionII8"),
         true},
        {13, QStringLiteral("II.9.1 10 Leading Major Operations"), V::FixedFlag, false,
         QStringLiteral("sp_DOH_Upload_SectionII91"), false},
        {14, QStringLiteral("II.9.2 10 Leading Minor Operations"), V::FixedFlag, false,
         QStringLiteral("sp_DOH_Upload_SectionII92"), false},
        {15, QStringLiteral("II. D. Health Associated Infections"), V::Always, true,
         QStringLiteral("sp_DOH_Upload_HealthAssociatedInf"), false},
        {16, QStringLiteral("II. E. Surgical Operations"), V::Always, true,
         QStringLiteral("sp_DOH_Upload_SurgicalProcedure"), false},
        {17, QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)"), V::AllowConsultationCauses, false,
         QStringLiteral("sp_DOH_Upload_SectionIII114"), true},
        {18, QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)"), V::AllowERCases, false,
         QStringLiteral("sp_DOH_Upload_SectionII103"), true},
    };
    return items;
}

const ReportItem *FindReportItem(const QString &title)
{
    for (const ReportItem &item : ReportCatalogue()) {
        if (item.title == title)
            return &item;
    }
    return nullptr;
}

QString GetReportID(const QString &title)
{
    const qsizetype blank = title.indexOf(QLatin1Char(' '));
    return blank < 0 ? title : title.left(blank);
}

} // namespace catalogue
