#include "ExportTestSupport.h"

#include "reportexport/Exporter.h"

#include "com/ComError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace reportexport;
using namespace exporttest;

namespace {

QString errorOf(int format, const QString &path)
{
    try {
        exportToFile(sampleReport(), format, path);
    } catch (const com::ComError &e) {
        return e.description();
    }
    return QStringLiteral("(no error)");
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

TEST(ExportFormats, OfferedFormats)
{
    const auto xls = exporterForFormat(kFormatExcel8);
    ASSERT_TRUE(xls);
    EXPECT_EQ(xls->shortName(), QStringLiteral("xls"));
    EXPECT_EQ(xls->nameFilter(), QStringLiteral("Microsoft Excel (*.xls)"));
    const auto rtf = exporterForFormat(kFormatRichText);
    ASSERT_TRUE(rtf);
    EXPECT_EQ(rtf->shortName(), QStringLiteral("rtf"));
    EXPECT_EQ(rtf->nameFilter(), QStringLiteral("Rich Text Format (*.rtf)"));
    EXPECT_FALSE(exporterForFormat(31));
}

// The file named is the only file written: no temporary file stays beside
// it, and what it holds is the format asked for whatever the name says.
TEST(ExportToFile, WritesOnlyTheNamedFile)
{
    QTemporaryDir dir;
    const QString xls = dir.filePath(QStringLiteral("Morbidity.xls"));
    const QString rtf = dir.filePath(QStringLiteral("Morbidity.rtf"));
    exportToFile(sampleReport(), kFormatExcel8, xls);
    exportToFile(sampleReport(), kFormatRichText, rtf);
    EXPECT_EQ(filesIn(dir.path()), (QStringList{QStringLiteral("Morbidity.rtf"), QStringLiteral("Morbidity.xls")}));

    QFile file(xls);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(8) == QByteArray::fromHex("D0CF11E0A1B11AE1"));
    EXPECT_EQ(readXls(xls)[u"sheets"].toArray()[0].toObject()[u"name"].toString(), QStringLiteral("I.3.4 Morbidity"));
    EXPECT_TRUE(unrtfHtml(rtf).contains(QStringLiteral("Pneumonia")));

    // Exporting again replaces the file whole.
    ExportDocument other;
    other.sheetName = QStringLiteral("Second");
    exportToFile(other, kFormatExcel8, xls);
    EXPECT_EQ(readXls(xls)[u"sheets"].toArray()[0].toObject()[u"name"].toString(), QStringLiteral("Second"));
    EXPECT_EQ(filesIn(dir.path()).size(), 2);
}

TEST(ExportToFile, UnknownFormatIsNotOffered)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.pdf"));
    EXPECT_EQ(errorOf(31, path), QStringLiteral("The export format 31 is not offered."));
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
}

// A folder the program may not write into: the error names the file and
// nothing is left there. (Running as root, a mode-0555 folder is still
// writable, so the check then uses /proc, which nobody can write into.)
TEST(ExportToFile, FolderWithoutWritePermissionFails)
{
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool lockedHolds = ::access(locked.toLocal8Bit().constData(), W_OK) != 0;
    const QString folder = lockedHolds ? locked : QStringLiteral("/proc");

    for (int format : {kFormatExcel8, kFormatRichText}) {
        const QString path = folder + QStringLiteral("/Velmora Export Check.xls");
        const QString error = errorOf(format, path);
        EXPECT_TRUE(error.startsWith(QStringLiteral("The file %1 could not be written: ").arg(path)))
            << error.toStdString();
        EXPECT_GT(error.size(), QStringLiteral("The file %1 could not be written: ").arg(path).size());
        EXPECT_FALSE(QFile::exists(path));
    }
    if (lockedHolds)
        EXPECT_TRUE(filesIn(locked).isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(ExportToFile, MissingFolderFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/r.rtf"));
    EXPECT_TRUE(
        errorOf(kFormatRichText, path).startsWith(QStringLiteral("The file %1 could not be written: ").arg(path)));
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
}
