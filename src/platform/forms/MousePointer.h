#pragma once

class QWidget;

namespace forms {

enum class MousePointer { Default, Hourglass };

// Sets a window's mouse pointer, as the runtime's MousePointer property.
void SetMousePointer(QWidget *window, MousePointer pointer);
MousePointer GetMousePointer(const QWidget *window);

// The hourglass for the life of a scope.
class WaitCursor
{
public:
    explicit WaitCursor(QWidget *window);
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    QWidget *m_window;
};

} // namespace forms
