#pragma once

#include <QString>

#include <exception>
#include <string>

namespace com {

// The one failure type every stand-in throws: the runtime's error number,
// the description a message box shows, and where it came from.
class ComError : public std::exception
{
public:
    ComError(long number, QString description, QString source = QString());

    long number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &source() const { return m_source; }

    const char *what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
};

// Error numbers of the desktop runtime that the program's messages rely on.
namespace errors {
constexpr long InvalidUseOfNull = 94;
constexpr long TypeMismatch = 13;
constexpr long CannotCreateObject = 429;
constexpr long InvalidProcedureCall = 5;
constexpr long ItemNotFound = 3265;     // ADO: item cannot be found in the collection
constexpr long ObjectClosed = 3704;     // ADO: operation not allowed when the object is closed
constexpr long NoCurrentRecord = 3021;  // ADO: BOF or EOF is true
constexpr long ProviderError = -2147217900; // ADO: the provider's own message follows
constexpr long ObjectRequired = 424;
}

// The description of any exception, as a message box would show it.
QString describe(const std::exception &e);

} // namespace com
