#pragma once
// TQpExcel: the spreadsheet calls the Excel export makes (workbook, sheet,
// current range, values, merging, cell formats, pictures, page setup,
// saving, showing the result), kept as a sheet in memory and written as a
// real .xlsx workbook by libxlsxwriter when it is saved. No spreadsheet
// program is needed.
//
// Columns and rows count from 1, as the spreadsheet numbers them. Format
// calls apply to every cell of the current range; a cell the range creates
// stays empty but carries the format, as in the spreadsheet itself.

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <map>
#include <unordered_map>
#include <vector>

// Horizontal and vertical alignment codes as the spreadsheet's automation knows them.
enum TQpExcelAlign : int {
    xlHAlignLeft = -4131,
    xlHAlignRight = -4152,
    xlHAlignCenter = -4108,
    xlHAlignJustify = -4130,
    xlVAlignTop = -4160,
    xlVAlignCenter = -4108,
    xlVAlignBottom = -4107,
};
enum TQpExcelOrientation : int { xlPortrait = 1, xlLandscape = 2 };
// Frame bits of a range: 1 right, 2 bottom, 4 left, 8 top.
enum TQpExcelFrame : int { xlFrameRight = 1, xlFrameBottom = 2, xlFrameLeft = 4, xlFrameTop = 8 };

class TQpExcel {
public:
    // What the spreadsheet itself accepts.
    static constexpr int MaxColumns = 16384;
    static constexpr int MaxRows = 1048576;
    static constexpr double MaxRowHeight = 409;
    static constexpr int MaxPageBreaks = 1023;

    TQpExcel() = default;
    TQpExcel(const TQpExcel &) = delete;
    TQpExcel &operator=(const TQpExcel &) = delete;

    // Starts a new workbook with one sheet whose cells wrap their text.
    void OpenExcel();
    // With true the saved workbook is shown (Show).
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }

    // Column letters: 1 A, 26 Z, 27 AA, 702 ZZ, 703 AAA.
    static QString Pos2Str(int column);
    static QString IntToCoord(int column, int row);

    // Only a range of at least one column and one row replaces the current one.
    void SetRange(int column, int row, int columns, int rows);

    // A text, a number (double) or a date-time (QDateTime); an invalid
    // QVariant empties the cell.
    void SetCell(int column, int row, const QVariant &value);

    void SetColSize(int column, double width);      // in character widths
    void SetRowSize(int row, double height);        // in points, at most 409
    // Merges the current range unless it touches a range merged before
    // (the spreadsheet refuses overlapping merges); false when refused.
    bool MergeCells();
    // Margins in points.
    void SetPageMargin(double left, double right, double top, double bottom, int orientation);
    // The paper by the platform's paper number (9 A4), which the spreadsheet
    // shares; 0 and custom sizes (256) leave the printer's default.
    void SetPaperSize(int paper) { m_paper = paper; }
    // A manual page break above the row.
    void SetPageBreak(int row);

    void SetCellFontName(const QString &name); // an empty name changes nothing
    void SetCellFontSize(double size);
    void SetCellFontColor(quint32 colour);     // 0x00BBGGRR
    void SetCellFontStyle(int style);          // bits: 1 bold, 2 italic, 4 underline
    void SetCellHAlign(int value);
    void SetCellVAlign(int value);
    void SetCellOrientation(int degrees);
    void SetCellWrap(bool wrap);
    void SetCellFrame(int bits);
    void SetCellFillColor(quint32 colour);     // 0x00BBGGRR
    // The spreadsheet's number format code of the range ("#,##0.00", "dd.mm.yyyy").
    void SetCellNumberFormat(const QString &code);
    // Places the picture at the top-left corner of the current range,
    // `width` by `height` points.
    void InsertPicture(const QImage &image, double width, double height);

    // Writes the workbook into `out`; false with the reason in `error`,
    // and then nothing is written. The cells go as they are written (the
    // library keeps its own copy), so a large sheet is not held twice.
    bool Save(QIODevice &out, QString *error);
    // Hands the saved workbook to the desktop's program for it when the
    // workbook is visible.
    void Show(const QString &fileName) const;
    // Drops the workbook.
    void Quit();

private:
    struct Style {
        QString FontName;
        double FontSize = 0; // 0: the workbook's default
        quint32 FontColor = 0;
        quint8 FontStyle = 0;
        int HAlign = 0, VAlign = 0; // 0: general
        int Rotation = 0;
        bool Wrap = false;
        quint8 Borders = 0; // TQpExcelFrame bits
        bool Filled = false;
        quint32 FillColor = 0;
        QString NumberFormat;
        bool operator==(const Style &) const = default;
    };
    friend size_t qHash(const Style &style, size_t seed);
    struct Cell {
        QVariant Value;
        int StyleId = 0;
    };
    struct Range {
        int c0 = 1, r0 = 1, c1 = 1, r1 = 1;
    };
    struct Picture {
        int Column, Row;
        QByteArray Png;
        double XScale, YScale;
    };
    static quint64 key(int column, int row) { return (quint64(row) << 16) | quint64(column); }

    int styleId(const Style &style);
    Cell &cell(int column, int row);
    // Applies `change` to the style of every cell of the rectangle.
    template <typename Change>
    void restyle(int c0, int r0, int c1, int r1, Change change);
    template <typename Change>
    void restyleRange(Change change) { restyle(m_range.c0, m_range.r0, m_range.c1, m_range.r1, change); }
    bool writeWorkbook(const QString &fileName, QString *error);

    bool m_open = false;
    bool m_visible = false;
    Range m_range;
    std::vector<Style> m_styles;
    QHash<Style, int> m_styleIds;
    std::unordered_map<quint64, Cell> m_cells; // sorted by row, then column when saved
    std::map<int, double> m_columnWidths, m_rowHeights;
    std::vector<Range> m_merges;
    QSet<quint64> m_merged; // every cell of a merged range
    std::vector<Picture> m_pictures;
    QList<int> m_pageBreaks;
    double m_margins[4] = {-1, -1, -1, -1}; // left, right, top, bottom; -1 the default
    int m_orientation = xlPortrait;
    int m_paper = 0;
};
