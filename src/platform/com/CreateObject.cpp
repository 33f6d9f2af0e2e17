#include "CreateObject.h"

#include <QHash>

namespace com {

namespace {
QHash<QString, Factory> &registry()
{
    static QHash<QString, Factory> factories;
    return factories;
}
} // namespace

void RegisterProgID(const QString &progId, Factory factory)
{
    registry().insert(progId.toLower(), std::move(factory));
}

void UnregisterProgID(const QString &progId)
{
    registry().remove(progId.toLower());
}

std::shared_ptr<ComObject> CreateObject(const QString &progId)
{
    const auto it = registry().constFind(progId.toLower());
    if (it == registry().constEnd() || !*it)
        throw ComError(errors::CannotCreateObject, QStringLiteral("ActiveX component can't create object"),
                       progId);
    auto object = (*it)();
    if (!object)
        throw ComError(errors::CannotCreateObject, QStringLiteral("ActiveX component can't create object"),
                       progId);
    return object;
}

} // namespace com
