#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Check's rules, one table: the rules between the figures of a generated
// period's sections and the edits on the patient records that feed them.
// Each rule has a short name that the command line and the report print,
// what it compares, the sections it concerns and what to do when it fails.
namespace checks {

enum class RuleKind { BetweenSections, RecordEdit };

struct Rule
{
    QString id; // "II.A-balance", "sex-female-code"
    RuleKind kind;
    QString title;        // what must hold
    QStringList sections; // catalogue titles of the sections the rule concerns
    QString action;       // what to do when it fails
};

// Every rule, in the order findings are listed.
const QList<Rule> &Rules();
// The rule of that id; fails (std::out_of_range) for an unknown one.
const Rule &RuleById(const QString &id);

// One finding: the rule that failed and the figures or the record
// involved. The sections it concerns are the rule's unless the finding
// names its own (an edit concerns the sections its record counts in).
struct Finding
{
    QString rule;
    QString figures;
    QStringList sections;
};

// What Check found for a period, and the rules it could not apply there
// (a section not generated, a table the database does not have), one line
// each.
struct CheckResult
{
    QList<Finding> findings;
    QStringList notes;

    // The findings concerning the section of that catalogue title.
    int concerning(const QString &title) const;
    // The number of findings per rule id, in rule order, failed rules only.
    QList<std::pair<QString, int>> countsByRule() const;
};

// "rule: figures" as the command line prints a finding.
QString FindingLine(const Finding &finding);

} // namespace checks
