#include "MousePointer.h"

#include <QWidget>

namespace forms {

void SetMousePointer(QWidget *window, MousePointer pointer)
{
    if (!window)
        return;
    if (pointer == MousePointer::Hourglass)
        window->setCursor(Qt::WaitCursor);
    else
        window->unsetCursor();
}

MousePointer GetMousePointer(const QWidget *window)
{
    return window && window->testAttribute(Qt::WA_SetCursor) && window->cursor().shape() == Qt::WaitCursor
        ? MousePointer::Hourglass
        : MousePointer::Default;
}

WaitCursor::WaitCursor(QWidget *window)
    : m_window(window)
{
    SetMousePointer(m_window, MousePointer::Hourglass);
}

WaitCursor::~WaitCursor()
{
    SetMousePointer(m_window, MousePointer::Default);
}

} // namespace forms
