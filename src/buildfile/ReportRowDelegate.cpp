#include "buildfile/ReportRowDelegate.h"

#include <QAbstractItemView>

ReportRowDelegate::ReportRowDelegate(QAbstractItemView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{
}

void ReportRowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_view->property("hideSelection").toBool() && !m_view->hasFocus())
        option->state &= ~QStyle::State_Selected;
}
