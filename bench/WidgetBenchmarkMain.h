#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

// The main of a benchmark that needs the widgets' world (fonts, painting,
// windows): a QApplication on the offscreen platform unless one is named,
// then Google Benchmark as usual.
inline int RunWidgetBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
