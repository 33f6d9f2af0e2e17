#pragma once

#include "fixtures/ReportSession.h"
#include "fixtures/VisitsData.h"
#include "support/TempStore.h"

#include <QString>
#include <QTemporaryDir>

namespace testing_support {

using testdata::writeReportFile;

// testdata::createVisits on the temporary store.
inline void createVisits(TempStore &store, int rows)
{
    testdata::createVisits(store.store(), rows);
}

// A report of tbVisits grouped by Service, with page header, detail, group
// footer totals, report footer and "Page N of M". location names the table.
QString visitsReportXml(const QString &location, const QString &extraSections = QString(),
                        const QString &groupAttributes = QString());

using testdata::FakeCurrentUser;

// The text of a PDF file as pdftotext reads it (layout kept).
QString pdfText(const QString &path);

} // namespace testing_support
