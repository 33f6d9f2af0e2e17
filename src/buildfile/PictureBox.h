#pragma once

#include <QIcon>
#include <QObject>
#include <QWidget>

class QEvent;

// A picture box of the build-file window: shows one 120 x 24 image centred in
// its area, drawn from the image file that suits the screen's scaling, so it
// stays crisp on a high-resolution screen.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize kPictureSize{120, 24};

    // The image of a resource name such as ":/buildfile/print.png"; its
    // "@2x" twin is used where the screen has more pixels.
    static QIcon LoadPicture(const QString &resourceName);

    PictureBox(const QIcon &picture, QWidget *parent);

    const QIcon &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QIcon m_picture;
};

// Tells the window what the pointer and the focus do on one of its controls:
// the pointer moving over it, a click (the left button pressed and released on
// it) and the loss of the focus. The pointer's events stop at the control, so
// a move over a caption never counts as a move over what lies behind it.
class ControlEvents : public QObject
{
    Q_OBJECT
public:
    // Watches the control for as long as it lives.
    explicit ControlEvents(QWidget *control);

signals:
    void mouseMoved();
    void clicked();
    void focusLost();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_control;
    bool m_pressed = false;
};
