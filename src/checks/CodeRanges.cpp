#include "CodeRanges.h"

namespace checks {

const QList<CodeRange> &CodeRanges()
{
    using L = CodeLimit;
    static const QList<CodeRange> ranges = {
        {QStringLiteral("O00"), QStringLiteral("O99"), QStringLiteral("pregnancy and childbirth"), L::FemaleOnly},
        {QStringLiteral("O00"), QStringLiteral("O99"), QStringLiteral("pregnancy and childbirth"), L::PregnancyAges},
        {QStringLiteral("Z32"), QStringLiteral("Z36"), QStringLiteral("supervision of pregnancy"), L::FemaleOnly},
        {QStringLiteral("Z32"), QStringLiteral("Z36"), QStringLiteral("supervision of pregnancy"), L::PregnancyAges},
        {QStringLiteral("N70"), QStringLiteral("N98"), QStringLiteral("diseases of the female genital organs"),
         L::FemaleOnly},
        {QStringLiteral("C51"), QStringLiteral("C58"), QStringLiteral("cancer of the female genital organs"),
         L::FemaleOnly},
        {QStringLiteral("N40"), QStringLiteral("N51"), QStringLiteral("diseases of the male genital organs"),
         L::MaleOnly},
        {QStringLiteral("C60"), QStringLiteral("C63"), QStringLiteral("cancer of the male genital organs"),
         L::MaleOnly},
        {QStringLiteral("P00"), QStringLiteral("P96"), QStringLiteral("perinatal conditions"), L::FirstDaysOfLife},
        {QStringLiteral("Z38"), QStringLiteral("Z38"), QStringLiteral("live birth"), L::FirstDaysOfLife},
    };
    return ranges;
}

QString Category(const QString &code)
{
    QString compact = code.trimmed().toUpper();
    compact.remove(QLatin1Char('.'));
    return compact.left(3);
}

QList<const CodeRange *> RangesOf(const QString &code)
{
    QList<const CodeRange *> found;
    const QString category = Category(code);
    if (category.size() < 3)
        return found;
    for (const CodeRange &range : CodeRanges())
        if (category >= range.first && category <= range.last)
            found.append(&range);
    return found;
}

QString RangeText(const CodeRange &range)
{
    return range.first == range.last ? range.first : range.first + QChar(0x2013) + range.last;
}

} // namespace checks
