#include "Fill.h"

#include <algorithm>

namespace reportengine {

namespace {

// Places bands on pages top to bottom. A page holds the page header at its
// top (below the report header on the first page), the page footer at its
// bottom and body bands between.
class Paginator
{
public:
    Paginator(Document &doc, const ReportDef &def) : m_doc(doc), m_def(def) {}

    void run()
    {
        QList<int> reportHeader, pageHeader, pageFooter, body, reportFooter;
        for (int i = 0; i < m_doc.bands.size(); ++i) {
            switch (m_doc.bands[i].kind) {
            case SectionKind::ReportHeader:
                reportHeader << i;
                break;
            case SectionKind::PageHeader:
                pageHeader << i;
                break;
            case SectionKind::PageFooter:
                pageFooter << i;
                break;
            case SectionKind::ReportFooter:
                reportFooter << i;
                break;
            default:
                body << i;
            }
        }
        m_pageHeader = pageHeader;
        m_pageFooter = pageFooter;
        double footerHeight = 0;
        for (int i : pageFooter)
            footerHeight += m_doc.bands[i].height;
        m_top = m_doc.margins.top();
        m_bottom = m_doc.paperSize.height() - m_doc.margins.bottom() - footerHeight;
        const int levels = int(m_def.groups.size());
        m_openHeaders.assign(levels + 1, {});
        m_openEnd.assign(levels + 1, -1);

        startPage(reportHeader);
        for (int k = 0; k < body.size(); ++k) {
            const int b = body[k];
            const Band &band = m_doc.bands[b];
            for (int g = 1; g <= levels; ++g)
                if (m_openEnd[g] >= 0 && m_openEnd[g] < b) {
                    m_openHeaders[g].clear();
                    m_openEnd[g] = -1;
                }
            double needed = band.height;
            if (band.kind == SectionKind::GroupHeader) {
                // Keep the group together when it fits a page of its own;
                // never leave a header alone at the foot of a page.
                const int last = band.groupEnd;
                double whole = 0;
                for (int j = k; j < body.size() && body[j] <= last; ++j)
                    whole += m_doc.bands[body[j]].height;
                if (m_def.groups.value(band.group - 1).keepTogether && last >= 0 && whole <= m_bottom - m_bodyTop)
                    needed = whole;
                else if (k + 1 < body.size())
                    needed += m_doc.bands[body[k + 1]].height;
            }
            if (m_y + needed > m_bottom && m_y > m_bodyTop + 0.001)
                newPage(band.kind == SectionKind::GroupHeader ? band.group : levels + 1);
            place(b);
            if (band.kind == SectionKind::GroupHeader) {
                if (!band.groupStarts.isEmpty())
                    m_openHeaders[band.group].clear();
                m_openHeaders[band.group] << b;
                m_openEnd[band.group] = band.groupEnd;
            }
        }
        for (int b : reportFooter) {
            if (m_y + m_doc.bands[b].height > m_bottom && m_y > m_bodyTop + 0.001)
                newPage(levels + 1);
            place(b);
        }
        finishPage();
        setPageNumbers();
    }

private:
    void startPage(const QList<int> &first)
    {
        m_doc.pages.append(DisplayPage());
        m_y = m_top;
        for (int b : first)
            place(b, false);
        for (int b : m_pageHeader)
            place(b, false);
        m_bodyTop = m_y;
    }

    // Ends the page and starts the next; the open groups (outside level
    // `until`, which is about to start anew) repeat their headers there.
    void newPage(int until)
    {
        finishPage();
        startPage({});
        for (int g = 1; g < until && g < int(m_openHeaders.size()); ++g) {
            if (!m_def.groups[g - 1].repeatHeader)
                continue;
            for (int b : m_openHeaders[g])
                place(b, false);
        }
        m_bodyTop = m_y;
    }

    void finishPage()
    {
        double y = m_bottom;
        for (int b : m_pageFooter) {
            addItems(b, y);
            y += m_doc.bands[b].height;
        }
    }

    void place(int b, bool recordGroups = true)
    {
        addItems(b, m_y);
        if (recordGroups)
            for (const auto &[level, label] : m_doc.bands[b].groupStarts)
                m_doc.groups.append(GroupEntry{label, level, int(m_doc.pages.size()) - 1});
        m_y += m_doc.bands[b].height;
    }

    void addItems(int b, double y)
    {
        DisplayPage &page = m_doc.pages.last();
        const double x = m_doc.margins.left();
        for (const BandItem &item : m_doc.bands[b].items) {
            if (item.pageDependent)
                m_pageItems.append({int(m_doc.pages.size()) - 1, int(page.items.size()), item.special});
            page.items.append(item.item);
            page.items.last().rect.translate(x, y);
        }
    }

    void setPageNumbers()
    {
        const int total = m_doc.pageCount();
        for (const PageItem &p : m_pageItems) {
            QString &text = m_doc.pages[p.page].items[p.item].text;
            switch (p.kind) {
            case SpecialKind::PageNOfM:
                text = QStringLiteral("Page %1 of %2").arg(p.page + 1).arg(total);
                break;
            case SpecialKind::PageNumber:
                text = QString::number(p.page + 1);
                break;
            case SpecialKind::TotalPages:
                text = QString::number(total);
                break;
            case SpecialKind::PrintDate:
            case SpecialKind::Period:
                break;
            }
        }
    }

    struct PageItem
    {
        int page;
        int item;
        SpecialKind kind;
    };

    Document &m_doc;
    const ReportDef &m_def;
    QList<int> m_pageHeader, m_pageFooter;
    double m_top = 0, m_bottom = 0, m_bodyTop = 0, m_y = 0;
    std::vector<QList<int>> m_openHeaders;
    std::vector<int> m_openEnd;
    QList<PageItem> m_pageItems;
};

} // namespace

void paginate(Document &document, const ReportDef &def)
{
    document.pages.clear();
    document.groups.clear();
    Paginator(document, def).run();
}

} // namespace reportengine
