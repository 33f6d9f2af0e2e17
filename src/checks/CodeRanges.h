#pragma once

#include <QList>
#include <QString>

// The one table of ICD-10 code ranges the edits on patient records apply:
// which codes belong to one sex, to the first days of life or to the ages
// of pregnancy. Codes are compared by their three-character category
// ("O80.0" is O80), so a range "N40"-"N51" holds N40.0 to N51.9.
namespace checks {

enum class CodeLimit {
    FemaleOnly,
    MaleOnly,
    FirstDaysOfLife, // the first kNewbornDays days of life
    PregnancyAges,   // ages kPregnancyMinAge to kPregnancyMaxAge
};

struct CodeRange
{
    QString first; // categories, inclusive
    QString last;
    QString name; // what the codes are, as a finding names them
    CodeLimit limit;
};

constexpr int kNewbornDays = 28;     // days 0 to 27 of life
constexpr int kPregnancyMinAge = 10; // whole years at the event
constexpr int kPregnancyMaxAge = 55;

// Every range, each with one limit; a code may fall in several.
const QList<CodeRange> &CodeRanges();

// The three-character category of a code: "o80.0 " -> "O80", "N40" -> "N40".
QString Category(const QString &code);

// The ranges holding the code, in table order.
QList<const CodeRange *> RangesOf(const QString &code);

// "O00–O99", or "Z38" for a range of one category.
QString RangeText(const CodeRange &range);

} // namespace checks
