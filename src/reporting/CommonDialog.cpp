#include "CommonDialog.h"

#include <QFileDialog>

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

namespace {

class QtFileDialogService : public FileDialogService
{
public:
    std::optional<QString> saveFileName(QWidget *parent, const QString &filter) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QtNameFilters(filter));
        const QString pattern = filter.section(QLatin1Char('|'), 1, 1);
        if (pattern.startsWith(QLatin1String("*.")))
            dialog.setDefaultSuffix(pattern.mid(2));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
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
    const auto chosen = current()->saveFileName(parent, Filter);
    if (!chosen || chosen->isEmpty())
        return false;
    FileName = *chosen;
    return true;
}

} // namespace reporting
