#pragma once

#include "CommonDialog.h"

#include <QDialog>
#include <QLabel>

#include <functional>

class QFrame;
class QPushButton;

namespace reportviewer {
class CRViewer;
}

// A picture that acts as a button (the panel's print and export images).
class PictureButton : public QLabel
{
public:
    explicit PictureButton(QWidget *parent = nullptr)
        : QLabel(parent)
    {
        setCursor(Qt::PointingHandCursor);
    }
    std::function<void()> onClick;
    void click()
    {
        if (onClick)
            onClick();
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The window every report is looked at in: the viewer control over the
// whole client area, Print and More over it, and More's panel with print
// without closing and the Excel, Rich Text and PDF exports. It shows the current
// report of modCrystal and releases it when it closes.
class frmReportViewerShared : public QDialog
{
public:
    explicit frmReportViewerShared(QWidget *parent = nullptr);
    ~frmReportViewerShared() override;

    void setShowGroupTree(bool value) { pbShowGroupTree = value; }
    void setDirectPrint(bool value) { pbDirectPrint = value; }
    void setFileCaption(const QString &value) { pbFileCaption = value; }

    // Loads the window (binding the viewer; a failure is raised to the
    // caller) and shows it, modally when asked.
    void Show(bool modal);
    void Form_Load();

    void cmdPrint_Click();
    void imgPrint_Click();
    void cmdMore_Click();
    void imgExcel_Click();
    void imgRTF_Click();
    void imgPDF_Click();

    reportviewer::CRViewer *CRViewer1;
    QPushButton *cmdPrint;
    QPushButton *cmdMore;
    QFrame *pctMore;
    PictureButton *imgPrint;
    QLabel *Label1;
    PictureButton *imgExcel;
    QLabel *Label2;
    PictureButton *imgRTF;
    QLabel *Label3;
    PictureButton *imgPDF;
    QLabel *Label4;
    reporting::CommonDialog dlgOpen;

    bool pbShowGroupTree = false;
    bool pbDirectPrint = false;
    QString pbFileCaption;

    bool isUnloaded() const { return m_unloaded; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    void Form_Resize();
    void Form_Unload();
    void ExportReport(const QString &filter, int formatType);

    bool m_loaded = false;
    bool m_unloaded = false;
};
