#pragma once

#include "catalogue/ReportFiles.h"
#include "forms/MousePointer.h"
#include "reportengine/ReportEngine.h"
#include "reporting/frmReportViewerShared.h"
#include "reporting/modCrystal.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

// Watches the viewer windows a command opens, for tests of the windows that
// open reports. Header only: the tests that include it link the reporting
// library already.
namespace testing_support {

// What one viewer window showed: its caption, the report file, the values
// its parameter fields received, the header's (none: not opened), and the
// opening window's mouse pointer meanwhile.
struct ShownReport
{
    QString caption;
    QString file;
    QStringList values;
    std::optional<QStringList> header;
    forms::MousePointer pointer = forms::MousePointer::Default;
};

inline QStringList GivenValues(reportengine::Report &report)
{
    QStringList values;
    for (reportengine::ParameterFieldDefinition &field : report.ParameterFields())
        if (field.HasCurrentValue())
            values.append(field.CurrentValue().toText());
    return values;
}

// Runs a command; every viewer window it opens is looked at and closed, as
// the user would close it. opener is the window whose pointer is read.
inline QList<ShownReport> Previewing(const QWidget *opener, const std::function<void()> &command)
{
    QList<ShownReport> shown;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *viewer = dynamic_cast<frmReportViewerShared *>(QApplication::activeModalWidget());
        if (!viewer)
            return;
        ShownReport s;
        s.caption = viewer->windowTitle();
        s.pointer = forms::GetMousePointer(opener);
        if (modCrystal::pobjReport) {
            s.file = QFileInfo(modCrystal::pobjReport->definition().filePath).fileName();
            s.values = GivenValues(*modCrystal::pobjReport);
            try {
                auto header = modCrystal::pobjReport->OpenSubreport(catalogue::kReportHeaderName);
                if (!GivenValues(*header).isEmpty())
                    s.header = GivenValues(*header);
            } catch (const std::exception &) {
            }
        }
        shown.append(s);
        viewer->close();
    });
    watch.start();
    command();
    watch.stop();
    return shown;
}

} // namespace testing_support
