#include "CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace reporting {

QString QtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        filters << description;
    }
    return filters.join(QStringLiteral(";;"));
}

QString ProposedFileName(const QString &title, const QString &filter)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    QString name = QString(title).replace(unsafe, QStringLiteral("-")).simplified();
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("Report");
    const QString pattern = filter.section(QLatin1Char('|'), 1, 1);
    return pattern.startsWith(QLatin1String("*.")) ? name + pattern.mid(1) : name;
}

namespace {

// The folder the last export went to, so that the month's reports land
// together without the user looking for the folder each time.
const QString kExportFolderKey = QStringLiteral("reporting/exportFolder");

class QtFileDialogService : public FileDialogService
{
public:
    std::optional<QString> saveFileName(QWidget *parent, const QString &filter, const QString &proposed) override
    {
        QFileDialog dialog(parent);
        QSettings settings;
        const QString folder = settings.value(kExportFolderKey).toString();
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            dialog.setDirectory(folder);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QtNameFilters(filter));
        const QString pattern = filter.section(QLatin1Char('|'), 1, 1);
        if (pattern.startsWith(QLatin1String("*.")))
            dialog.setDefaultSuffix(pattern.mid(2));
        if (!proposed.isEmpty())
            dialog.selectFile(proposed);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().first();
        settings.setValue(kExportFolderKey, QFileInfo(chosen).absolutePath());
        return chosen;
    }
};

std::shared_ptr<FileDialogService> &current()
{
    static std::shared_ptr<FileDialogService> service = std::make_shared<QtFileDialogService>();
    return service;
}

} // namespace

std::shared_ptr<FileDialogService> setFileDialogService(std::shared_ptr<FileDialogService> service)
{
    auto previous = current();
    current() = service ? std::move(service) : std::make_shared<QtFileDialogService>();
    return previous;
}

bool CommonDialog::ShowSave(QWidget *parent)
{
    const auto chosen = current()->saveFileName(parent, Filter, FileName);
    if (!chosen || chosen->isEmpty())
        return false;
    FileName = *chosen;
    return true;
}

} // namespace reporting
