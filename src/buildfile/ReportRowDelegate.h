#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// Paints the report list's rows in their own colours and leaves out the
// highlight while the list lacks the focus once the list's "hideSelection"
// property is set, so a marked row shows orange after a click.
class ReportRowDelegate : public QStyledItemDelegate
{
public:
    explicit ReportRowDelegate(QAbstractItemView *view);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QAbstractItemView *m_view;
};
