#include "CodeSearchDialog.h"

#include "forms/ErrorTrap.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace codesearch {

CodeSearchDialog::CodeSearchDialog(const QString &caption, QList<CodeRow> rows, const QString &filter,
                                   QWidget *parent)
    : QDialog(parent)
    , m_rows(std::move(rows))
{
    setWindowTitle(caption);
    setModal(true);
    resize(480, 400);

    lblFilter = new QLabel(QStringLiteral("Find code or description"), this);
    txtFilter = new QLineEdit(this);
    lblFilter->setBuddy(txtFilter);
    lvwList = new QTreeWidget(this);
    lvwList->setColumnCount(2);
    lvwList->setHeaderLabels({QStringLiteral("Code"), QStringLiteral("Description")});
    lvwList->setRootIsDecorated(false);
    lvwList->setUniformRowHeights(true);
    lvwList->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwList->header()->setStretchLastSection(true);
    for (const CodeRow &row : m_rows)
        lvwList->addTopLevelItem(new QTreeWidgetItem({row.code, row.description}));
    lvwList->resizeColumnToContents(0);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblFilter);
    layout->addWidget(txtFilter);
    layout->addWidget(lvwList, 1);
    layout->addLayout(buttons);

    txtFilter->installEventFilter(this);
    connect(txtFilter, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(lvwList, &QTreeWidget::itemDoubleClicked, this, [this] { forms::Guarded([this] { pickCurrent(); }); });
    connect(lvwList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { cmdOK->setEnabled(current && !current->isHidden()); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { forms::Guarded([this] { pickCurrent(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    txtFilter->setText(filter);
    applyFilter();
    txtFilter->setFocus();
}

QList<CodeRow> CodeSearchDialog::visibleRows() const
{
    QList<CodeRow> visible;
    for (int i = 0; i < lvwList->topLevelItemCount(); ++i) {
        if (!lvwList->topLevelItem(i)->isHidden())
            visible.append(m_rows.at(i));
    }
    return visible;
}

void CodeSearchDialog::applyFilter()
{
    const QString typed = txtFilter->text().trimmed();
    QTreeWidgetItem *first = nullptr;
    for (int i = 0; i < lvwList->topLevelItemCount(); ++i) {
        const CodeRow &row = m_rows.at(i);
        const bool shown = typed.isEmpty() || row.code.startsWith(typed, Qt::CaseInsensitive)
                           || row.description.contains(typed, Qt::CaseInsensitive);
        QTreeWidgetItem *item = lvwList->topLevelItem(i);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    QTreeWidgetItem *current = lvwList->currentItem();
    if (!current || current->isHidden())
        lvwList->setCurrentItem(first);
    if (!first)
        lvwList->clearSelection();
    current = lvwList->currentItem();
    cmdOK->setEnabled(current && !current->isHidden());
}

void CodeSearchDialog::pickCurrent()
{
    QTreeWidgetItem *current = lvwList->currentItem();
    if (!current || current->isHidden())
        return;
    m_picked = m_rows.at(lvwList->indexOfTopLevelItem(current));
    accept();
}

bool CodeSearchDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFilter && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            // The list moves while the typing stays in the filter box.
            QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(lvwList, &forwarded);
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            forms::Guarded([this] { pickCurrent(); });
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace codesearch
