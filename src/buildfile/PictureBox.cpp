#include "buildfile/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

// The images are compiled into the library; a static library's resources are
// registered by hand, once, from outside any namespace.
static void RegisterPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(buildfile);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon PictureBox::LoadPicture(const QString &resourceName)
{
    RegisterPictures();
    QIcon picture;
    picture.addFile(resourceName, kPictureSize);
    QString twice = resourceName;
    twice.insert(twice.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    picture.addFile(twice, kPictureSize * 2);
    return picture;
}

PictureBox::PictureBox(const QIcon &picture, QWidget *parent)
    : QWidget(parent)
    , m_picture(picture)
{
    // A click gives it the focus, as a picture box takes it; Tab passes it by.
    setFocusPolicy(Qt::ClickFocus);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area(QPoint((width() - kPictureSize.width()) / 2, (height() - kPictureSize.height()) / 2),
                     kPictureSize);
    painter.drawPixmap(area, m_picture.pixmap(kPictureSize, devicePixelRatioF()));
}

ControlEvents::ControlEvents(QWidget *control)
    : QObject(control)
    , m_control(control)
{
    control->setMouseTracking(true);
    control->installEventFilter(this);
}

bool ControlEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_control)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        emit mouseMoved();
        return true;
    case QEvent::MouseButtonPress:
        m_pressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        return true;
    case QEvent::MouseButtonDblClick:
        // A double-click makes one click: where the window system delivers
        // the second press too, it counts for nothing.
        m_pressed = false;
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const bool click =
            m_pressed && mouse->button() == Qt::LeftButton && m_control->rect().contains(mouse->position().toPoint());
        m_pressed = false;
        if (click)
            emit clicked();
        return true;
    }
    case QEvent::FocusOut:
        emit focusLost();
        return false;
    default:
        return false;
    }
}
