#include "excel_layout.h"

#include <algorithm>

void TqpExcelLayout::Clear()
{
    m_x.clear();
    m_y.clear();
    m_marks.clear();
    m_pageOffset = 0;
    m_lowestBottom = 0;
}

int TqpExcelLayout::AddObject(int left, int top, int width, int height)
{
    const int sheetTop = top + m_pageOffset;
    const int sheetBottom = sheetTop + height;
    m_x.push_back({left});
    m_x.push_back({left + width});
    m_y.push_back({sheetTop});
    m_y.push_back({sheetBottom});
    // A row is 1/1.3 point per unit; a gap taller than a row may be gets
    // boundaries of its own, 531.7 units (409 points) apart.
    if (sheetTop > m_lowestBottom) {
        const double gap = (sheetTop - m_lowestBottom) * ScaleY / 1.3;
        if (gap > MaxRowPoints) {
            const int n = int(gap / MaxRowPoints);
            const int step = int(531.7 / ScaleY);
            for (int k = 1; k <= n; ++k)
                m_y.push_back({m_lowestBottom + k * step});
        }
    }
    m_lowestBottom = std::max(m_lowestBottom, sheetBottom);
    return sheetTop;
}

void TqpExcelLayout::EndPage(bool exported)
{
    m_pageOffset = m_lowestBottom;
    // A page that added nothing below the one before breaks at the same row.
    if (exported && (m_marks.isEmpty() || m_marks.last() != m_lowestBottom))
        m_marks.append(m_lowestBottom);
}

void TqpExcelLayout::SortEdges()
{
    for (std::vector<TObjCell> *edges : {&m_x, &m_y}) {
        std::sort(edges->begin(), edges->end());
        edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
    }
}

void TqpExcelLayout::span(const std::vector<TObjCell> &edges, int from, int extent, int &index, int &count)
{
    const auto start = std::lower_bound(edges.begin(), edges.end(), TObjCell{from});
    if (start == edges.end() || start->Pos != from) {
        index = 0;
        count = 1;
        return;
    }
    index = int(start - edges.begin());
    // Whole intervals up to the first edge at or past the far side less 10
    // units: a last sliver of 10 units or less is not a cell of the object.
    const auto end = std::lower_bound(start, edges.end(), TObjCell{from + extent - 10});
    const int last = end == edges.end() ? int(edges.size()) - 1 : int(end - edges.begin());
    count = std::max(last - index, 1);
}

TObjPos TqpExcelLayout::Place(int objIndex, int left, int top, int width, int height) const
{
    TObjPos pos;
    pos.ObjIndex = objIndex;
    span(m_x, left, width, pos.Col, pos.ColSpan);
    span(m_y, top, height, pos.Row, pos.RowSpan);
    return pos;
}

void TqpExcelLayout::MergeSpans(const std::vector<TObjPos> &cells, size_t index, int &colSpan, int &rowSpan) const
{
    const TObjPos &self = cells[index];
    colSpan = self.ColSpan;
    rowSpan = self.RowSpan;
    for (size_t i = index + 1; i < cells.size(); ++i) {
        const TObjPos &other = cells[i];
        // Later objects never start higher; below the rectangle nothing more can cut it.
        if (other.Row >= self.Row + rowSpan)
            break;
        if (other.Col < self.Col || other.Col >= self.Col + colSpan)
            continue;
        if (other.Row == self.Row) {
            // Beside on the same row: the merge ends where the other begins.
            colSpan = other.Col - self.Col;
            rowSpan = 1;
        } else {
            rowSpan = other.Row - self.Row;
        }
    }
}

QList<int> TqpExcelLayout::PageBreakRows() const
{
    QList<int> rows;
    for (int mark : m_marks) {
        const auto edge = std::lower_bound(m_y.begin(), m_y.end(), TObjCell{mark});
        // Row r lies between edges r - 1 and r; the next page starts one row lower.
        if (edge != m_y.end() && edge->Pos == mark && edge != m_y.begin())
            rows.append(int(edge - m_y.begin()) + 1);
    }
    return rows;
}
