#pragma once
// TqpExcelLayout: how the exported pages become a cell grid. All pages are
// stacked into one sheet, each page below the lowest object of those before
// it; every object edge is a column (X) or row (Y) boundary; each object
// is anchored at the cell its top-left corner starts and spans the cells it
// covers. Works in report units and knows nothing of the spreadsheet.
//
// Collecting is linear in the objects, building sorts the edges once and
// finds every object's cells by binary search, so the work grows with
// n log n of the objects, never with objects times edges.

#include <QList>
#include <vector>

// One edge of the X or the Y list.
struct TObjCell {
    int Pos = 0;
    bool operator<(const TObjCell &o) const { return Pos < o.Pos; }
    bool operator==(const TObjCell &o) const = default;
};

// Where an object lands: column and row index into the edge lists (from 0,
// the sheet's column and row being one more) and the edge intervals covered.
struct TObjPos {
    int ObjIndex = 0;
    int Col = 0, Row = 0;
    int ColSpan = 0, RowSpan = 0;
    bool operator==(const TObjPos &) const = default;
};

class TqpExcelLayout {
public:
    // The tallest row the spreadsheet allows, in points.
    static constexpr double MaxRowPoints = 409;

    double ScaleY = 1.0;

    void Clear();

    // An object of the current page; returns its top in the sheet (the
    // page offset added). Adds its edges, and rows enough that the gap above
    // it needs no row taller than the spreadsheet allows.
    int AddObject(int left, int top, int width, int height);
    // The page ends: the next page starts below the lowest object so far;
    // a page that was exported marks a page break there.
    void EndPage(bool exported);

    int PageOffset() const { return m_pageOffset; }
    int LowestBottom() const { return m_lowestBottom; }
    const QList<int> &PageBreakMarks() const { return m_marks; }

    // Sorts the edge lists and drops repeated edges.
    void SortEdges();
    const std::vector<TObjCell> &XEdges() const { return m_x; }
    const std::vector<TObjCell> &YEdges() const { return m_y; }
    int ColumnCount() const { return m_x.empty() ? 0 : int(m_x.size()) - 1; }
    int RowCount() const { return m_y.empty() ? 0 : int(m_y.size()) - 1; }

    // The cells of an object (top in sheet units) after SortEdges. An
    // object 10 units or less wide or high covers the cell it starts in.
    TObjPos Place(int objIndex, int left, int top, int width, int height) const;
    // The spans a merge of cells[index] may take: later objects anchored
    // inside its rectangle cut it, so no text is hidden under a merge.
    // `cells` is in the order objects were placed (by top, then left).
    void MergeSpans(const std::vector<TObjPos> &cells, size_t index, int &colSpan, int &rowSpan) const;
    // Sheet rows (from 1) whose lower boundary is a page-break mark.
    QList<int> PageBreakRows() const;

private:
    static void span(const std::vector<TObjCell> &edges, int from, int extent, int &index, int &count);

    std::vector<TObjCell> m_x, m_y;
    QList<int> m_marks;
    int m_pageOffset = 0;
    int m_lowestBottom = 0;
};
