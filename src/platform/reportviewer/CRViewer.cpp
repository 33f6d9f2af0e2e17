#include "CRViewer.h"

#include "reportengine/EngineErrors.h"
#include "reportengine/Painter.h"
#include "reportengine/ReportEngine.h"

#include "com/ComError.h"
#include "forms/ErrorTrap.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace reportviewer {

namespace {

CRViewer::PrintDialogHook &printDialogHook()
{
    static CRViewer::PrintDialogHook hook;
    return hook;
}

constexpr int kZoomPageWidth = 1;
constexpr int kZoomWholePage = 2;
constexpr int kPageRole = Qt::UserRole + 1;
constexpr int kToolbarHeight = 28;

QToolButton *toolButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

} // namespace

// ---- PageView -----------------------------------------------------------------

PageView::PageView(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

void PageView::setPage(const reportengine::Document *document, int pageIndex, double pixelsPerPoint,
                       const QList<QRectF> &highlights)
{
    m_document = document;
    m_page = pageIndex;
    m_scale = pixelsPerPoint;
    m_highlights = highlights;
    if (m_document) {
        const QSizeF paper = m_document->paperSize * m_scale;
        setFixedSize(int(paper.width()) + 2 * kMargin, int(paper.height()) + 2 * kMargin);
    }
    update();
}

void PageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    if (!m_document || m_document->pageCount() == 0)
        return;
    const QSizeF paper = m_document->paperSize * m_scale;
    const QRectF target(kMargin, kMargin, paper.width(), paper.height());
    painter.fillRect(target.translated(3, 3), QColor(60, 60, 60));
    reportengine::paintPage(painter, *m_document, m_page, target, m_highlights);
}

// ---- CRViewer -----------------------------------------------------------------

CRViewer::CRViewer(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("viewerToolbar"));
    bar->setFixedHeight(kToolbarHeight);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 1, 4, 1);
    barLayout->setSpacing(2);
    m_print = toolButton(QStringLiteral("Print"), QStringLiteral("Print Report"), bar);
    m_first = toolButton(QStringLiteral("|<"), QStringLiteral("First Page"), bar);
    m_previous = toolButton(QStringLiteral("<"), QStringLiteral("Previous Page"), bar);
    m_pageBox = new QLineEdit(bar);
    m_pageBox->setFixedWidth(80);
    m_pageBox->setAlignment(Qt::AlignCenter);
    m_pageBox->setToolTip(QStringLiteral("Go to Page"));
    m_next = toolButton(QStringLiteral(">"), QStringLiteral("Next Page"), bar);
    m_last = toolButton(QStringLiteral(">|"), QStringLiteral("Last Page"), bar);
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->addItem(QStringLiteral("Page Width"), kZoomPageWidth);
    m_zoomBox->addItem(QStringLiteral("Whole Page"), kZoomWholePage);
    for (int percent : {50, 75, 100, 150, 200, 300, 400})
        m_zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent);
    m_zoomBox->setToolTip(QStringLiteral("Zoom"));
    m_findBox = new QLineEdit(bar);
    m_findBox->setFixedWidth(140);
    m_findBox->setPlaceholderText(QStringLiteral("Find text"));
    m_findButton = toolButton(QStringLiteral("Find"), QStringLiteral("Search Text"), bar);
    m_status = new QLabel(bar);
    for (QWidget *w : std::initializer_list<QWidget *>{m_print, m_first, m_previous, m_pageBox, m_next, m_last,
                                                       m_zoomBox, m_findBox, m_findButton, m_status})
        barLayout->addWidget(w);
    barLayout->addStretch(1);
    layout->addWidget(bar);
    // Room a window may ask for under the toolbar (setReservedTop).
    m_room = new QWidget(this);
    m_room->setFixedHeight(0);
    layout->addWidget(m_room);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new QTreeWidget(m_splitter);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumWidth(120);
    m_scroll = new QScrollArea(m_splitter);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView;
    m_scroll->setWidget(m_view);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_scroll);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({180, 800});
    layout->addWidget(m_splitter, 1);

    connect(m_first, &QToolButton::clicked, this, [this] { forms::Guarded([this] { ShowFirstPage(); }); });
    connect(m_previous, &QToolButton::clicked, this, [this] { forms::Guarded([this] { ShowPreviousPage(); }); });
    connect(m_next, &QToolButton::clicked, this, [this] { forms::Guarded([this] { ShowNextPage(); }); });
    connect(m_last, &QToolButton::clicked, this, [this] { forms::Guarded([this] { ShowLastPage(); }); });
    connect(m_print, &QToolButton::clicked, this, [this] { forms::Guarded([this] { PrintReport(); }); });
    connect(m_zoomBox, &QComboBox::activated, this,
            [this](int index) { forms::Guarded([this, index] { Zoom(m_zoomBox->itemData(index).toInt()); }); });
    connect(m_findButton, &QToolButton::clicked, this,
            [this] { forms::Guarded([this] { SearchForText(m_findBox->text()); }); });
    // Enter in the page and find boxes is taken here, not left to the line
    // edit: an Enter the box leaves unused would reach the window around
    // the viewer and press its default button.
    m_pageBox->installEventFilter(this);
    m_findBox->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        forms::Guarded([this, item] { ShowNthPage(item->data(0, kPageRole).toInt() + 1); });
    });
    m_scroll->viewport()->installEventFilter(this);
    setDisplayGroupTree(m_displayGroupTree);
    refresh();
}

void CRViewer::goToTypedPage()
{
    bool ok = false;
    const int n = m_pageBox->text().section(QLatin1Char(' '), 0, 0).toInt(&ok);
    if (ok)
        ShowNthPage(n);
    else
        refresh();
}

bool CRViewer::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_pageBox || watched == m_findBox) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return QWidget::eventFilter(watched, event);
        if (watched == m_pageBox)
            forms::Guarded([this] { goToTypedPage(); });
        else
            forms::Guarded([this] { SearchForText(m_findBox->text()); });
        return true;
    }
    // Fitted zooms follow the room the page has.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize &&
        (m_zoom == kZoomPageWidth || m_zoom == kZoomWholePage) && m_document) {
        const double scale = pixelsPerPoint();
        if (std::abs(scale - m_appliedScale) > 0.001)
            refresh();
    }
    return QWidget::eventFilter(watched, event);
}

CRViewer::~CRViewer() = default;

void CRViewer::setReservedTop(int top)
{
    m_room->setFixedHeight(std::max(0, top - kToolbarHeight));
}

void CRViewer::setPrintDialogHook(PrintDialogHook hook)
{
    printDialogHook() = std::move(hook);
}

void CRViewer::setReportSource(std::shared_ptr<reportengine::Report> report)
{
    m_report = std::move(report);
    m_document = nullptr;
    m_page = 0;
    m_highlights.clear();
    m_findItem = -1;
    m_tree->clear();
    refresh();
}

void CRViewer::setDisplayGroupTree(bool show)
{
    m_displayGroupTree = show;
    m_tree->setVisible(show);
}

void CRViewer::setEnableGroupTree(bool enable)
{
    m_enableGroupTree = enable;
    m_tree->setEnabled(enable);
}

const reportengine::Document *CRViewer::document() const
{
    return m_document.get();
}

int CRViewer::pageCount() const
{
    return m_document ? m_document->pageCount() : 0;
}

std::shared_ptr<const reportengine::Document> CRViewer::fill()
{
    if (m_fillProgress)
        throw com::ComError(com::errors::InvalidProcedureCall, QStringLiteral("The viewer's report is being filled."),
                            reportengine::kEngineSource);
    QProgressDialog progress(QStringLiteral("Reading the report's data..."), QStringLiteral("Cancel"), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("Report"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(std::numeric_limits<int>::max()); // shown below, by the fill's clock
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.hide();
    m_fillProgress = &progress;
    QElapsedTimer clock;
    clock.start();
    // The engine asks now and then while it fills: the window comes up once
    // the fill has taken a moment, and its events (Cancel) are handled.
    m_report->setFillMonitor([&] {
        if (!progress.isVisible() && clock.elapsed() >= kFillWindowDelayMs)
            progress.show();
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    const auto done = [&] {
        m_report->setFillMonitor({});
        m_fillProgress = nullptr;
    };
    try {
        auto document = m_report->sharedDocument();
        done();
        m_status->clear();
        return document;
    } catch (const com::ComError &e) {
        done();
        if (e.number() != reportengine::errors::FillCancelled)
            throw;
        m_status->setText(QStringLiteral("Cancelled: the report was not filled."));
        return nullptr;
    } catch (...) {
        done();
        throw;
    }
}

void CRViewer::ViewReport()
{
    if (!m_report)
        throw com::ComError(com::errors::ObjectRequired, QStringLiteral("The viewer has no report to show."),
                            reportengine::kEngineSource);
    m_document = fill();
    m_page = 0;
    m_highlights.clear();
    m_findItem = -1;
    buildGroupTree();
    refresh();
}

void CRViewer::buildGroupTree()
{
    m_tree->clear();
    if (!m_document)
        return;
    QList<QTreeWidgetItem *> parents;
    for (const reportengine::GroupEntry &g : m_document->groups) {
        while (parents.size() >= g.level)
            parents.removeLast();
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parents.last());
        item->setText(0, g.label.isEmpty() ? QStringLiteral("(blank)") : g.label);
        item->setData(0, kPageRole, g.page);
        while (parents.size() < g.level - 1)
            parents.append(item); // a level without its own entry
        parents.append(item);
    }
    m_tree->expandAll();
}

double CRViewer::pixelsPerPoint() const
{
    if (!m_document)
        return 1;
    const QSizeF paper = m_document->paperSize;
    // The vertical scroll bar's width is always set aside, so that its
    // coming and going does not change the fitted width.
    const int bar = m_scroll->verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize room = m_scroll->viewport()->size() - QSize(2 * PageView::kMargin + 2 + bar, 2 * PageView::kMargin + 2);
    switch (m_zoom) {
    case kZoomPageWidth:
        return std::max(0.1, room.width() / paper.width());
    case kZoomWholePage:
        return std::max(0.1, std::min(room.width() / paper.width(), room.height() / paper.height()));
    default:
        return m_zoom / 100.0 * logicalDpiX() / 72.0;
    }
}

void CRViewer::Zoom(int level)
{
    if (level != kZoomPageWidth && level != kZoomWholePage && (level < 25 || level > 400))
        throw com::ComError(com::errors::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"),
                            reportengine::kEngineSource);
    m_zoom = level;
    const int index = m_zoomBox->findData(level);
    if (index >= 0)
        m_zoomBox->setCurrentIndex(index);
    refresh();
}

void CRViewer::refresh()
{
    const int count = pageCount();
    if (count == 0) {
        m_pageBox->setText(QString());
        m_view->setPage(nullptr, 0, 1, {});
    } else {
        m_page = std::clamp(m_page, 0, count - 1);
        m_pageBox->setText(QStringLiteral("%1 of %2").arg(m_page + 1).arg(count));
        m_appliedScale = pixelsPerPoint();
        m_view->setPage(m_document.get(), m_page, m_appliedScale, m_highlights);
    }
    m_first->setEnabled(count > 0 && m_page > 0);
    m_previous->setEnabled(count > 0 && m_page > 0);
    m_next->setEnabled(count > 0 && m_page < count - 1);
    m_last->setEnabled(count > 0 && m_page < count - 1);
}

void CRViewer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_zoom == kZoomPageWidth || m_zoom == kZoomWholePage)
        refresh();
}

void CRViewer::ShowFirstPage()
{
    ShowNthPage(1);
}
void CRViewer::ShowPreviousPage()
{
    ShowNthPage(m_page);
}
void CRViewer::ShowNextPage()
{
    ShowNthPage(m_page + 2);
}
void CRViewer::ShowLastPage()
{
    ShowNthPage(pageCount());
}

void CRViewer::ShowNthPage(int pageNumber)
{
    if (pageCount() == 0)
        return;
    const int index = std::clamp(pageNumber, 1, pageCount()) - 1;
    if (index != m_page)
        m_highlights.clear();
    m_page = index;
    refresh();
    m_scroll->verticalScrollBar()->setValue(0);
}

bool CRViewer::SearchForText(const QString &text)
{
    m_status->clear();
    if (!m_document || text.isEmpty())
        return false;
    if (text.compare(m_findText, Qt::CaseInsensitive) != 0 || m_findPage != m_page) {
        m_findText = text;
        m_findPage = m_page;
        m_findItem = -1;
    }
    const int count = pageCount();
    // From the item after the last hit on this page, through the last page,
    // then from the first page back to where the search began.
    for (int step = 0; step <= count; ++step) {
        const int page = (m_findPage + step) % count;
        const auto &items = m_document->pages[page].items;
        const int from = step == 0 ? m_findItem + 1 : 0;
        const int to = (step == count) ? std::min<int>(m_findItem + 1, items.size()) : int(items.size());
        for (int i = from; i < to; ++i) {
            if (items[i].kind != reportengine::DisplayItem::Kind::Text ||
                !items[i].text.contains(text, Qt::CaseInsensitive))
                continue;
            m_findPage = page;
            m_findItem = i;
            m_page = page;
            m_highlights = {items[i].rect};
            refresh();
            return true;
        }
    }
    m_status->setText(QStringLiteral("Text not found"));
    return false;
}

void CRViewer::PrintReport()
{
    if (!m_report)
        throw com::ComError(com::errors::ObjectRequired, QStringLiteral("The viewer has no report to print."),
                            reportengine::kEngineSource);
    auto filled = fill();
    if (!filled)
        return;
    m_document = std::move(filled);
    const reportengine::Document &doc = *m_document;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(doc.title);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(doc.paperSize, QPageSize::Point));
    printer.setPageOrientation(doc.paperSize.width() > doc.paperSize.height() ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    printer.setFromTo(1, doc.pageCount());
    bool accepted = false;
    if (printDialogHook()) {
        accepted = printDialogHook()(printer, this);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, doc.pageCount());
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (accepted)
        printPages(printer);
}

void CRViewer::printPages(QPrinter &printer)
{
    const reportengine::Document &doc = *m_document;
    int from = 1, to = doc.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(doc.pageCount(), printer.toPage() > 0 ? printer.toPage() : doc.pageCount());
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = m_page + 1;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw com::ComError(reportengine::errors::ExportInvalid, QStringLiteral("The printer could not be started."),
                            reportengine::kEngineSource);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF target(0, 0, paper.width(), paper.height());
    for (int copy = 0; copy < std::max(1, printer.copyCount()) && from <= to; ++copy)
        for (int p = from; p <= to; ++p) {
            if (p > from || copy > 0)
                printer.newPage();
            reportengine::paintPage(painter, doc, p - 1, target);
        }
    painter.end();
}

} // namespace reportviewer
