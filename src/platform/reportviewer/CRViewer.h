#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressDialog;
class QScrollArea;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace reportengine {
class Report;
struct Document;
} // namespace reportengine

namespace reportviewer {

// Draws one page of a filled report at a zoom, with find's mark on it.
class PageView : public QWidget
{
public:
    explicit PageView(QWidget *parent = nullptr);
    void setPage(const reportengine::Document *document, int pageIndex, double pixelsPerPoint,
                 const QList<QRectF> &highlights);
    static constexpr int kMargin = 12;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const reportengine::Document *m_document = nullptr;
    int m_page = 0;
    double m_scale = 1;
    QList<QRectF> m_highlights;
};

// The report viewer control (CRViewer): shows the report set as its
// ReportSource page by page with a toolbar (first, previous, next, last,
// the page box "N of M", zoom, find, print) and the group tree beside it.
// It only reads the engine's display list; printing paints the same pages.
// A fill that takes a while shows a window with Cancel, which stops it.
class CRViewer : public QWidget
{
public:
    explicit CRViewer(QWidget *parent = nullptr);
    ~CRViewer() override;

    void setReportSource(std::shared_ptr<reportengine::Report> report);
    std::shared_ptr<reportengine::Report> ReportSource() const { return m_report; }

    void setDisplayGroupTree(bool show);
    bool DisplayGroupTree() const { return m_displayGroupTree; }
    void setEnableGroupTree(bool enable);
    bool EnableGroupTree() const { return m_enableGroupTree; }

    // 1 fits the page width, 2 shows the whole page, 25 to 400 is a percentage.
    void Zoom(int level);
    int zoomLevel() const { return m_zoom; }

    // The pages and the group tree begin no higher than `top` (in the
    // viewer's own coordinates), so that buttons a window lays over the
    // viewer's top never cover any part of a page, however it is scrolled.
    void setReservedTop(int top);

    // Fills the report when needed and shows its first page. Fails when
    // there is no report or the report cannot be filled; a fill cancelled by
    // the user leaves the viewer empty, saying so.
    void ViewReport();
    // Asks for a printer (QPrintDialog) and prints the chosen pages; a
    // cancelled fill prints nothing.
    void PrintReport();

    // The window of a fill that is running (shown once the fill has taken
    // kFillWindowDelayMs), or nullptr.
    QProgressDialog *fillProgress() const { return m_fillProgress; }
    static constexpr int kFillWindowDelayMs = 500;

    void ShowFirstPage();
    void ShowPreviousPage();
    void ShowNextPage();
    void ShowLastPage();
    void ShowNthPage(int pageNumber);
    int currentPage() const { return m_page + 1; }
    int pageCount() const;

    // Finds the next place showing text (case-insensitive) from the last
    // hit on, wrapping once; marks it and turns to its page.
    bool SearchForText(const QString &text);

    // How print asks for the printer; tests set one that fills the QPrinter
    // (e.g. PDF output) and answers, instead of opening QPrintDialog.
    using PrintDialogHook = std::function<bool(QPrinter &printer, QWidget *parent)>;
    static void setPrintDialogHook(PrintDialogHook hook);

    // The controls, for the window and its tests.
    QToolButton *firstButton() const { return m_first; }
    QToolButton *previousButton() const { return m_previous; }
    QToolButton *nextButton() const { return m_next; }
    QToolButton *lastButton() const { return m_last; }
    QToolButton *printButton() const { return m_print; }
    QLineEdit *pageBox() const { return m_pageBox; }
    QComboBox *zoomBox() const { return m_zoomBox; }
    QLineEdit *findBox() const { return m_findBox; }
    QToolButton *findButton() const { return m_findButton; }
    QLabel *statusLabel() const { return m_status; }
    QTreeWidget *groupTree() const { return m_tree; }
    PageView *pageView() const { return m_view; }
    QList<QRectF> highlights() const { return m_highlights; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const reportengine::Document *document() const;
    void refresh();
    void goToTypedPage();
    void buildGroupTree();
    double pixelsPerPoint() const;
    void printPages(QPrinter &printer);
    // The report filled (nullptr when the user cancelled the fill).
    std::shared_ptr<const reportengine::Document> fill();

    std::shared_ptr<reportengine::Report> m_report;
    std::shared_ptr<const reportengine::Document> m_document;
    bool m_displayGroupTree = true;
    bool m_enableGroupTree = true;
    int m_zoom = 100;
    int m_page = 0;
    double m_appliedScale = 0;
    int m_findPage = 0;
    int m_findItem = -1;
    QString m_findText;
    QList<QRectF> m_highlights;
    QProgressDialog *m_fillProgress = nullptr;

    QToolButton *m_first, *m_previous, *m_next, *m_last, *m_print, *m_findButton;
    QLineEdit *m_pageBox, *m_findBox;
    QComboBox *m_zoomBox;
    QLabel *m_status;
    QWidget *m_room;
    QSplitter *m_splitter;
    QTreeWidget *m_tree;
    QScrollArea *m_scroll;
    PageView *m_view;
};

} // namespace reportviewer
