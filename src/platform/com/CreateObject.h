#pragma once

#include "ComError.h"

#include <QString>

#include <functional>
#include <memory>

namespace com {

// Base of every object that CreateObject hands out.
class ComObject
{
public:
    virtual ~ComObject() = default;
};

using Factory = std::function<std::shared_ptr<ComObject>()>;

// The registry of components by ProgID (case-insensitive, as the desktop
// registry). Registering a ProgID again replaces its factory, which is how
// tests put their own objects in place.
void RegisterProgID(const QString &progId, Factory factory);
void UnregisterProgID(const QString &progId);

// Creates the component registered under progId; an unknown ProgID fails
// with "ActiveX component can't create object".
std::shared_ptr<ComObject> CreateObject(const QString &progId);

// CreateObject and take the interface the caller expects of it.
template<typename T>
std::shared_ptr<T> CreateObjectAs(const QString &progId)
{
    auto object = std::dynamic_pointer_cast<T>(CreateObject(progId));
    if (!object)
        throw ComError(errors::TypeMismatch, QStringLiteral("Type mismatch"), progId);
    return object;
}

} // namespace com
