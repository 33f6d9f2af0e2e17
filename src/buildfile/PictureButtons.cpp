// The picture buttons and header links of the build-file window: each a pair
// of controls at one place, the normal look below and the highlighted look
// above; how the pointer moving over them changes the look, and the command
// a click on either member runs.
#include "buildfile/frmNewDOHBuildFile.h"

#include "buildfile/PictureBox.h"
#include "forms/Twips.h"

#include <QLabel>
#include <QMouseEvent>

namespace {

const QColor kCaptionNormal(16, 97, 156);
const QColor kCaptionHighlighted(74, 36, 0);
const QColor kLinkHover(255, 128, 0);

void SetTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

void frmNewDOHBuildFile::CreatePictureButton(std::array<PictureBox *, 2> &pictures, std::array<QLabel *, 2> &captions,
                                             const QString &caption, double left)
{
    const QString resource = QStringLiteral(":/buildfile/") + caption.toLower();
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSizeF(8.25);
    captionFont.setBold(false);
    for (int index = 0; index < 2; ++index) {
        const QString picture = resource + (index == 0 ? QStringLiteral(".png") : QStringLiteral("-highlighted.png"));
        auto *box = new PictureBox(PictureBox::LoadPicture(picture), this);
        box->setObjectName(QStringLiteral("Pic") + caption + QString::number(index));
        box->setCursor(Qt::PointingHandCursor);
        forms::PlaceTwips(box, left, 6810, 1845, 405);
        m_layoutControls.append(box);

        // The caption covers the whole picture with its text centred, so the
        // layout's moves, which keep its place inside the picture at 0, 0
        // whatever the window's size, never push it off the picture.
        auto *label = new QLabel(caption, box);
        label->setObjectName(QStringLiteral("lbl") + caption + QString::number(index));
        label->setFont(captionFont);
        label->setAlignment(Qt::AlignCenter);
        SetTextColour(label, index == 0 ? kCaptionNormal : kCaptionHighlighted);
        label->setGeometry(box->rect());
        m_layoutControls.append(label);

        pictures[index] = box;
        captions[index] = label;
    }
    pictures[1]->raise();
}

void frmNewDOHBuildFile::CreateHeaderLink(std::array<QLabel *, 2> &link, const QString &name, const QString &text,
                                          const QString &toolTip, double left, double top, double width,
                                          double widthHover, double height)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    for (int index = 0; index < 2; ++index) {
        auto *label = new QLabel(text, FraHead);
        label->setObjectName(name + QString::number(index));
        label->setFont(font);
        label->setToolTip(toolTip);
        label->setCursor(Qt::PointingHandCursor);
        SetTextColour(label, index == 0 ? palette().color(QPalette::Base) : kLinkHover);
        forms::PlaceTwips(label, left, top, index == 0 ? width : widthHover, height);
        m_layoutControls.append(label);
        link[index] = label;
    }
    link[1]->hide();
}

ControlEvents *frmNewDOHBuildFile::ConnectPictureButton(std::array<PictureBox *, 2> &pictures,
                                                        std::array<QLabel *, 2> &captions, Command command)
{
    PictureBox *highlighted = pictures[1];
    ControlEvents *highlightedEvents = nullptr;
    for (int index = 0; index < 2; ++index) {
        auto *picture = new ControlEvents(pictures[index]);
        if (index == 0)
            connect(picture, &ControlEvents::mouseMoved, highlighted, &QWidget::show);
        else
            highlightedEvents = picture;
        connect(picture, &ControlEvents::clicked, this, [this, command] { RunCommand(command); });

        auto *caption = new ControlEvents(captions[index]);
        connect(caption, &ControlEvents::mouseMoved, highlighted, &QWidget::show);
        connect(caption, &ControlEvents::clicked, this, [this, command] { RunCommand(command); });
    }
    return highlightedEvents;
}

void frmNewDOHBuildFile::ConnectHeaderLink(std::array<QLabel *, 2> &link, Command command)
{
    for (QLabel *label : link) {
        auto *events = new ControlEvents(label);
        connect(events, &ControlEvents::mouseMoved, this, [&link] {
            link[1]->show();
            link[0]->hide();
        });
        connect(events, &ControlEvents::clicked, this, [this, command] { RunCommand(command); });
    }
}

void frmNewDOHBuildFile::mouseMoveEvent(QMouseEvent *e)
{
    // Moves over a control reach the window only when the control passes
    // them on; those are not moves over the background.
    if (!childAt(e->position().toPoint()))
        Form_MouseMove();
    QDialog::mouseMoveEvent(e);
}

void frmNewDOHBuildFile::Form_MouseMove()
{
    for (PictureBox *highlighted : {PicPrint[1], PicGenerate[1], PicCancel[1]})
        highlighted->hide();
    lblInfo[0]->show();
    lblSetup[0]->show();
    lblCheck[0]->show();
    lblInfo[1]->hide();
    lblSetup[1]->hide();
    lblCheck[1]->hide();
}
