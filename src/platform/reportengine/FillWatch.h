#pragma once

#include "ReportEngine.h"

#include <QElapsedTimer>

namespace reportengine {

// Keeps one fill within its limits: the time it may take, the user's word
// (the report's fill monitor, a viewer's Cancel) and how much it may print.
// Past a limit the fill stops with a ComError naming the report. Looking at
// the clock is cheap; the monitor is asked at most every kMonitorIntervalMs.
class FillWatch
{
public:
    FillWatch(const FillLimits &limits, Report::FillMonitor monitor, QString reportPath);

    const FillLimits &limits() const { return m_limits; }

    // Throws when the fill's time is up or it was cancelled.
    void check()
    {
        if (mustStop())
            raise();
    }
    // The same without throwing, for a database's progress callback: once
    // true it stays true.
    bool mustStop() noexcept;
    bool stopped() const { return m_stop != Stop::No; }
    // The failure of a fill that stopped.
    [[noreturn]] void raise() const;

    // Counts what the fill prints; throws past the limits.
    void count(qsizetype items, qsizetype characters);

    // The bytes of the query rows the fill keeps, for its memory bound.
    void keep(qint64 bytes) { m_keptBytes += bytes; }
    qint64 keptBytes() const { return m_keptBytes; }

    static constexpr qint64 kMonitorIntervalMs = 50;

private:
    enum class Stop { No, TimedOut, Cancelled };

    FillLimits m_limits;
    Report::FillMonitor m_monitor;
    QString m_path;
    QElapsedTimer m_clock;
    qint64 m_lastAsked = 0;
    Stop m_stop = Stop::No;
    qsizetype m_items = 0;
    qsizetype m_characters = 0;
    qint64 m_keptBytes = 0;
};

// A memory size as the engine's messages write it: "128 MB".
QString megabytesText(qint64 bytes);

// A count as the engine's messages write it: "100,000".
QString countText(qsizetype count);

} // namespace reportengine
