#include "ExportTestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

#include <stdexcept>

using namespace reportexport;

namespace exporttest {

ExportDocument sampleReport()
{
    ExportDocument doc;
    doc.title = QStringLiteral("I.3.4 Leading Causes of Morbidity");
    doc.author = QStringLiteral("Records Section, East Wing");
    doc.sheetName = QStringLiteral("I.3.4 Morbidity");
    const auto center = ExportParagraph::Align::Center;
    doc.blocks.append(paragraph(QStringLiteral("Hospital Niño Jesús de São Paulo"), true, 14, center));
    doc.blocks.append(paragraph(QStringLiteral("12 Rizal Avenue, Quezon City"), false, 10, center));
    doc.blocks.append(paragraph(QStringLiteral("Leading Causes of Morbidity"), true, 12, center));
    doc.blocks.append(paragraph(QStringLiteral("January 01, 2024 to March 31, 2024"), false, 10, center));
    ExportTable table;
    table.columnWidthsPt = {180, 72, 72};
    table.headerRows.append(
        row({text(QStringLiteral("Cause")), text(QStringLiteral("Cases")), text(QStringLiteral("Rate"))}));
    table.rows.append(row({text(QStringLiteral("Pneumonia")), number(1234, QStringLiteral("#,##0")),
                           number(12.5, QStringLiteral("0.00"))}));
    table.rows.append(row({text(QStringLiteral("Hypertension {stage 2} \\ other")), number(87, QStringLiteral("#,##0")),
                           number(0.875, QStringLiteral("0.00"))}));
    table.rows.append(row({text(QStringLiteral("Total"), true, 2), number(1321.25)}));
    doc.blocks.append(table);
    doc.blocks.append(paragraph(QStringLiteral("Prepared by: Records Section")));
    return doc;
}

ExportDocument longReport(int rows)
{
    ExportDocument doc;
    doc.title = QStringLiteral("Long report");
    doc.sheetName = QStringLiteral("Long");
    doc.blocks.append(paragraph(QStringLiteral("Long report"), true, 12));
    ExportTable table;
    table.columnWidthsPt = {200, 80, 80};
    table.headerRows.append(
        row({text(QStringLiteral("Patient")), text(QStringLiteral("Days")), text(QStringLiteral("Charge"))}));
    for (int i = 0; i < rows; ++i)
        table.rows.append(row({text(QStringLiteral("Patient %1 Peña").arg(i)), number(i * 3, QStringLiteral("#,##0")),
                               number(i * 1.25, QStringLiteral("0.00"))}));
    doc.blocks.append(table);
    return doc;
}

QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

namespace {

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(program.toStdString() + " failed: " + process.readAllStandardError().toStdString());
    return process.readAllStandardOutput();
}

QString script()
{
    return QStringLiteral(VELMORA_EXPORT_TEST_DIR "/read_xls.py");
}

} // namespace

QJsonObject readXls(const QString &path)
{
    return QJsonDocument::fromJson(run(QStringLiteral("/usr/bin/python3"), {script(), path})).object();
}

QJsonObject readStream(const QString &path, const QString &stream)
{
    return QJsonDocument::fromJson(
               run(QStringLiteral("/usr/bin/python3"), {script(), path, QStringLiteral("--stream"), stream}))
        .object();
}

QJsonObject readExtSst(const QString &path)
{
    return QJsonDocument::fromJson(
               run(QStringLiteral("/usr/bin/python3"), {script(), path, QStringLiteral("--extsst")}))
        .object();
}

QString unrtfHtml(const QString &path)
{
    return QString::fromUtf8(run(QStringLiteral("unrtf"), {QStringLiteral("--html"), path}));
}

} // namespace exporttest
