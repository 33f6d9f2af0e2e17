#include "CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
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

QString SectionShortName(const QString &title)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("I. Hospital General Information"), QStringLiteral("I General Information")},
        {QStringLiteral("I.3.4 Allocation of Beds"), QStringLiteral("I.3.4 Allocation of Beds")},
        {QStringLiteral("I.9 Laboratory Services"), QStringLiteral("I.9 Laboratory Services")},
        {QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital"),
         QStringLiteral("II.A Summary of Patients")},
        {QStringLiteral("II. Hospital Operations. B. Discharges"), QStringLiteral("II.B Discharges")},
        {QStringLiteral("II. B.1. Average Length of Stay (ALOS)"), QStringLiteral("II.B.1 ALOS")},
        {QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity"), QStringLiteral("II.B.2 Morbidity")},
        {QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"),
         QStringLiteral("II.B.3 Deliveries, OPD Visits")},
        {QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"),
         QStringLiteral("II.B.4 Emergency Visits")},
        {QStringLiteral("II. C. Deaths"), QStringLiteral("II.C Deaths")},
        {QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality"), QStringLiteral("II.C.3 Mortality")},
        {QStringLiteral("II.8 Surgical Operations"), QStringLiteral("II.8 Surgical Operations")},
        {QStringLiteral("II.9.1 10 Leading Major Operations"), QStringLiteral("II.9.1 Major Operations")},
        {QStringLiteral("II.9.2 10 Leading Minor Operations"), QStringLiteral("II.9.2 Minor Operations")},
        {QStringLiteral("II. D. Health Associated Infections"), QStringLiteral("II.D Infections")},
        {QStringLiteral("II. E. Surgical Operations"), QStringLiteral("II.E Surgical Operations")},
        {QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)"),
         QStringLiteral("III.11.4 OPD Consultations")},
        {QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)"), QStringLiteral("II.9.3 Emergency Cases")},
    };
    return names.value(title, title);
}

QString DocumentName(const QString &title, const QString &period)
{
    const QString name = SectionShortName(title);
    return period.isEmpty() ? name : name + QStringLiteral(" \u2013 ") + period;
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
