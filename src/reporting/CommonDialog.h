#pragma once

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace reporting {

// Asks the user for a file name to save to. The program uses QFileDialog;
// tests install one that answers with a chosen name or a cancel.
class FileDialogService
{
public:
    virtual ~FileDialogService() = default;
    // filter is the dialog's filter as the window sets it
    // ("Description|pattern|..."); proposed is the name the dialog starts
    // with (the control's FileName); nullopt means the user cancelled.
    virtual std::optional<QString> saveFileName(QWidget *parent, const QString &filter, const QString &proposed) = 0;
};

// Installs service (nullptr: back to QFileDialog); returns the previous one.
std::shared_ptr<FileDialogService> setFileDialogService(std::shared_ptr<FileDialogService> service);

// The common file dialog control (dlgOpen): Filter in, ShowSave, FileName out.
class CommonDialog
{
public:
    QString Filter;
    QString FileName;

    // Shows the Save As dialog; false when the user cancelled (FileName is
    // then left as it was).
    bool ShowSave(QWidget *parent);
};

// "Desc (*.x)|*.x|..." as a Qt name filter list ("Desc (*.x);;...").
QString QtNameFilters(const QString &filter);

// A file name made of a report's title for the filter's first pattern
// ("II. C. Deaths" and "*.xls" give "II. C. Deaths.xls"): the characters a
// file name cannot hold on the workstations' systems become "-".
QString ProposedFileName(const QString &title, const QString &filter);

// A section's short name, as file names and worksheets carry it: its report
// item's number and a few words ("II. Hospital Operations. B. Discharges"
// gives "II.B Discharges"); a title the catalogue does not know is kept.
// At most 31 characters, the longest worksheet name.
QString SectionShortName(const QString &title);

// The name a section's document for a period is given: "II.B Discharges –
// March 2026" (the short name alone when the period is empty).
QString DocumentName(const QString &title, const QString &period);

} // namespace reporting
