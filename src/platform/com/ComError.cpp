#include "ComError.h"

namespace com {

ComError::ComError(long number, QString description, QString source)
    : m_number(number)
    , m_description(std::move(description))
    , m_source(std::move(source))
    , m_what(m_description.toStdString())
{
}

QString describe(const std::exception &e)
{
    if (auto *ce = dynamic_cast<const ComError *>(&e))
        return ce->description();
    return QString::fromLocal8Bit(e.what());
}

} // namespace com
