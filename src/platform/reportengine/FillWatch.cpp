#include "FillWatch.h"

#include "EngineErrors.h"

#include "com/ComError.h"

#include <QLocale>

namespace reportengine {

QString countText(qsizetype count)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qint64(count));
}

QString megabytesText(qint64 bytes)
{
    return countText(qsizetype(bytes / (1024 * 1024))) + QStringLiteral(" MB");
}

FillWatch::FillWatch(const FillLimits &limits, Report::FillMonitor monitor, QString reportPath)
    : m_limits(limits)
    , m_monitor(std::move(monitor))
    , m_path(std::move(reportPath))
{
    m_clock.start();
}

bool FillWatch::mustStop() noexcept
{
    if (m_stop != Stop::No)
        return true;
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed > m_limits.timeLimitMs) {
        m_stop = Stop::TimedOut;
        return true;
    }
    if (m_monitor && elapsed - m_lastAsked >= kMonitorIntervalMs) {
        m_lastAsked = elapsed;
        bool goOn = false;
        try {
            goOn = m_monitor();
        } catch (...) {
            // A monitor that fails cannot be asked again: the fill stops.
        }
        if (!goOn)
            m_stop = Stop::Cancelled;
    }
    return m_stop != Stop::No;
}

void FillWatch::raise() const
{
    if (m_stop == Stop::Cancelled)
        throw com::ComError(errors::FillCancelled,
                            QStringLiteral("The report '%1' was not filled: the fill was cancelled.").arg(m_path),
                            kEngineSource);
    throw com::ComError(errors::FillTimedOut,
                        QStringLiteral("The report '%1' was stopped: filling it took longer than %2 seconds, "
                                       "the most a fill may take.")
                            .arg(m_path, QString::number(double(m_limits.timeLimitMs) / 1000.0)),
                        kEngineSource);
}

void FillWatch::count(qsizetype items, qsizetype characters)
{
    m_items += items;
    m_characters += characters;
    if (m_items > m_limits.maxPrintedItems)
        throw com::ComError(errors::FillTooLarge,
                            QStringLiteral("The report '%1' prints more than %2 items (sections and elements), "
                                           "the most one report may print.")
                                .arg(m_path, countText(m_limits.maxPrintedItems)),
                            kEngineSource);
    if (m_characters > m_limits.maxPrintedCharacters)
        throw com::ComError(errors::FillTooLarge,
                            QStringLiteral("The report '%1' prints more than %2 characters of text, "
                                           "the most one report may print.")
                                .arg(m_path, countText(m_limits.maxPrintedCharacters)),
                            kEngineSource);
}

} // namespace reportengine
