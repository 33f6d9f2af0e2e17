#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace codesearch {

struct CodeRow
{
    QString code;
    QString description;
};

// The modal look-up list: a filter box over the rows (code or description,
// filtered as typed), arrow keys move through the list from the filter box,
// Enter or a double-click picks, Escape or Cancel gives up.
class CodeSearchDialog : public QDialog
{
    Q_OBJECT
public:
    CodeSearchDialog(const QString &caption, QList<CodeRow> rows, const QString &filter, QWidget *parent = nullptr);

    // The picked row after exec() returned Accepted.
    const CodeRow &picked() const { return m_picked; }
    // The rows the filter lets through, in list order.
    QList<CodeRow> visibleRows() const;

    QLabel *lblFilter;
    QLineEdit *txtFilter;
    QTreeWidget *lvwList;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFilter();
    void pickCurrent();

    QList<CodeRow> m_rows;
    CodeRow m_picked;
};

} // namespace codesearch
