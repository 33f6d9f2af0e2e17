#pragma once

#include <QList>
#include <QString>

// The fixed list of DOH report sections: one table, the single source the
// build-file window, generation, preview and the report parameters dialog read.
namespace catalogue {

enum class Visibility {
    Always,                   // always listed
    FixedFlag,                // a flag whose value start-up sets (fixedFlagValue)
    AllowERCases,             // tbDOHSetup.IsAllowERCases
    AllowConsultationCauses,  // tbDOHSetup.IsAllowConsultationCauses
};

struct ReportItem
{
    int number;               // 1..18, catalogue (list) order
    QString title;            // the key everywhere, compared exactly
    Visibility visibility;
    bool fixedFlagValue;      // the value start-up gives a FixedFlag item's flag
    QString uploadProcedure;  // without the "Patient_Data.." prefix; empty: none
    bool takesUploadOption;   // the upload takes plngUploadOption after the dates
};

// The eighteen items in list order.
const QList<ReportItem> &ReportCatalogue();

// The item with exactly this title, or nullptr.
const ReportItem *FindReportItem(const QString &title);

// The title's text before its first blank ("II. B.2. ..." -> "II.").
QString GetReportID(const QString &title);

} // namespace catalogue
