#include "checks/Check.h"

#include "checks/CheckParts.h"

#include "com/ComError.h"
#include "startup/modSysConstants.h"

#include <algorithm>

namespace checks {

const QString kRecordsProcedure = QStringLiteral("Patient_Data..sp_Velmora_Check_PatientRecords");
const QString kLatestChangeProcedure = QStringLiteral("Patient_Data..sp_Velmora_Check_LatestChange");

namespace detail {

bool IsMissingObject(const std::exception &e)
{
    const QString text = com::describe(e);
    return text.contains(QStringLiteral("Could not find stored procedure")) ||
           text.contains(QStringLiteral("Invalid object name"));
}

} // namespace detail

CheckResult RunCheck(adodb::Connection &connection, const CheckPeriod &period)
{
    const QString format = QStringLiteral("MM/dd/yyyy");
    detail::Dates dates{QDate::fromString(period.firstDate, format), QDate::fromString(period.lastDate, format),
                        QDate(), period.firstDate, period.lastDate};
    if (!dates.first.isValid() || !dates.last.isValid() || dates.last < dates.first)
        throw com::ComError(
            com::errors::InvalidProcedureCall,
            QStringLiteral("The period %1 to %2 is no period to check.").arg(period.firstDate, period.lastDate),
            QStringLiteral("prjVelmora.Check"));
    dates.countedTo = std::min(dates.last, std::max(period.today, dates.first));
    CheckResult result;
    detail::CheckSections(connection, dates, period.headingsName, result);
    detail::CheckRecords(connection, dates, result);
    // Findings in the order of the rules table, each rule's in the order found.
    std::stable_sort(result.findings.begin(), result.findings.end(), [](const Finding &a, const Finding &b) {
        const auto position = [](const QString &id) {
            const QList<Rule> &rules = Rules();
            return std::find_if(rules.begin(), rules.end(), [&](const Rule &r) { return r.id == id; }) - rules.begin();
        };
        return position(a.rule) < position(b.rule);
    });
    return result;
}

adodb::ResultSet FindingRows(const CheckResult &result)
{
    adodb::ResultSet rows;
    rows.columns = {QStringLiteral("RowOrder"), QStringLiteral("Rule"),     QStringLiteral("RuleTitle"),
                    QStringLiteral("Action"),   QStringLiteral("Sections"), QStringLiteral("Figures")};
    int order = 0;
    for (const Finding &finding : result.findings) {
        const Rule &rule = RuleById(finding.rule);
        const QStringList &concerned = finding.sections.isEmpty() ? rule.sections : finding.sections;
        // The report names the sections the hospital lists; one that
        // concerns only sections it does not list still names them.
        QStringList sections;
        for (const QString &title : concerned)
            if (modSysConstants::IsReportItemListed(title))
                sections.append(title);
        if (sections.isEmpty())
            sections = concerned;
        rows.rows.append({com::Variant(qint64(++order)), com::Variant(rule.id),
                          com::Variant(rule.id + QStringLiteral(": ") + rule.title), com::Variant(rule.action),
                          com::Variant(sections.join(QStringLiteral("; "))), com::Variant(finding.figures)});
    }
    return rows;
}

adodb::ResultSet NoteRows(const CheckResult &result)
{
    adodb::ResultSet rows;
    rows.columns = {QStringLiteral("Notes")};
    if (!result.notes.isEmpty())
        rows.rows.append({com::Variant(result.notes.join(QLatin1Char('\n')))});
    return rows;
}

} // namespace checks
