#include "HospitalInfoValues.h"

#include "com/ComError.h"
#include "com/Runtime.h"

#include <cmath>
#include <limits>

namespace hospitalinfo {

namespace {
constexpr long kOverflow = 6;
}

QString TextValue(const com::Variant &value)
{
    return value.toText();
}

int XFlagValue(const com::Variant &value)
{
    if (value.isNull())
        return 0;
    return com::Trim(value.toString()) == QLatin1String("X") ? 1 : 0;
}

qint32 NumberValue(const com::Variant &value)
{
    if (value.isNull())
        return 0;
    // Rounded half to even as the runtime's conversion rounds, then range-checked.
    const double number =
        value.type() == com::Variant::Type::Integer ? double(value.toLong()) : std::nearbyint(value.toDouble());
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        throw com::ComError(kOverflow, QStringLiteral("Overflow"), QStringLiteral("prjVelmora"));
    return qint32(number);
}

int TruthValue(const com::Variant &value)
{
    if (value.isNull())
        return 0;
    return value.toBool() ? 1 : 0;
}

} // namespace hospitalinfo
