#include "excel_automation.h"

#include "modal_seam.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>
#include <algorithm>
#include <xlsxwriter.h>

size_t qHash(const TQpExcel::Style &s, size_t seed)
{
    return qHashMulti(seed, s.FontName, s.FontSize, s.FontColor, s.FontStyle, s.HAlign, s.VAlign, s.Rotation, s.Wrap,
                      s.Borders, s.Filled, s.FillColor, s.NumberFormat);
}

namespace {

// Excel's longest cell text.
constexpr qsizetype kMaxCellText = 32767;
// Date-time values count days from 30 December 1899, as the spreadsheet's do.
const QDateTime kEpoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);

lxw_color_t rgbOf(quint32 bgr) { return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF); }

uint8_t horizontalOf(int value)
{
    switch (value) {
    case xlHAlignLeft: return LXW_ALIGN_LEFT;
    case xlHAlignRight: return LXW_ALIGN_RIGHT;
    case xlHAlignCenter: return LXW_ALIGN_CENTER;
    case xlHAlignJustify: return LXW_ALIGN_JUSTIFY;
    default: return LXW_ALIGN_NONE;
    }
}

uint8_t verticalOf(int value)
{
    switch (value) {
    case xlVAlignTop: return LXW_ALIGN_VERTICAL_TOP;
    case xlVAlignCenter: return LXW_ALIGN_VERTICAL_CENTER;
    case xlVAlignBottom: return LXW_ALIGN_VERTICAL_BOTTOM;
    default: return LXW_ALIGN_NONE;
    }
}

// Frees the library's workbook however the writing ends.
struct WorkbookGuard {
    lxw_workbook *book;
    ~WorkbookGuard()
    {
        if (book)
            workbook_close(book);
    }
};

} // namespace

void TQpExcel::OpenExcel()
{
    Quit();
    Style wrapped;
    wrapped.Wrap = true;
    styleId(wrapped); // id 0: what every cell starts with
    m_open = true;
}

void TQpExcel::Quit()
{
    m_open = false;
    m_visible = false;
    m_range = Range();
    m_styles.clear();
    m_styleIds.clear();
    m_cells.clear();
    m_columnWidths.clear();
    m_rowHeights.clear();
    m_merges.clear();
    m_merged.clear();
    m_pictures.clear();
    m_pageBreaks.clear();
    std::fill(std::begin(m_margins), std::end(m_margins), -1.0);
    m_orientation = xlPortrait;
    m_paper = 0;
}

void TQpExcel::SetVisible(bool visible)
{
    if (m_open)
        m_visible = visible;
}

QString TQpExcel::Pos2Str(int column)
{
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString TQpExcel::IntToCoord(int column, int row) { return Pos2Str(column) + QString::number(row); }

void TQpExcel::SetRange(int column, int row, int columns, int rows)
{
    if (columns <= 0 || rows <= 0)
        return;
    m_range = Range{column, row, column + columns - 1, row + rows - 1};
}

int TQpExcel::styleId(const Style &style)
{
    const auto found = m_styleIds.constFind(style);
    if (found != m_styleIds.cend())
        return found.value();
    const int id = int(m_styles.size());
    m_styles.push_back(style);
    m_styleIds.insert(style, id);
    return id;
}

TQpExcel::Cell &TQpExcel::cell(int column, int row) { return m_cells[key(column, row)]; }

template <typename Change>
void TQpExcel::restyle(int c0, int r0, int c1, int r1, Change change)
{
    // Cells of a range mostly share one style: the last change is reused.
    int lastOld = -1, lastNew = -1;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            Cell &target = cell(c, r);
            if (target.StyleId != lastOld) {
                lastOld = target.StyleId;
                Style style = m_styles[size_t(lastOld)];
                change(style);
                lastNew = styleId(style);
            }
            target.StyleId = lastNew;
        }
}

void TQpExcel::SetCell(int column, int row, const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime) {
        // Calendar days and clock time as shown, whatever the local zone's offsets.
        const QDateTime shown = value.toDateTime();
        cell(column, row).Value = double(kEpoch.msecsTo(QDateTime(shown.date(), shown.time(), Qt::UTC))) / 86400000.0;
        return;
    }
    if (value.typeId() == QMetaType::QString && value.toString().size() > kMaxCellText) {
        cell(column, row).Value = value.toString().left(kMaxCellText);
        return;
    }
    cell(column, row).Value = value;
}

void TQpExcel::SetColSize(int column, double width) { m_columnWidths[column] = width; }

void TQpExcel::SetRowSize(int row, double height) { m_rowHeights[row] = std::min(height, MaxRowHeight); }

bool TQpExcel::MergeCells()
{
    const Range r = m_range;
    if (r.c0 == r.c1 && r.r0 == r.r1)
        return true;
    for (int row = r.r0; row <= r.r1; ++row)
        for (int column = r.c0; column <= r.c1; ++column)
            if (m_merged.contains(key(column, row)))
                return false;
    for (int row = r.r0; row <= r.r1; ++row)
        for (int column = r.c0; column <= r.c1; ++column)
            m_merged.insert(key(column, row));
    m_merges.push_back(r);
    return true;
}

void TQpExcel::SetPageMargin(double left, double right, double top, double bottom, int orientation)
{
    m_margins[0] = left;
    m_margins[1] = right;
    m_margins[2] = top;
    m_margins[3] = bottom;
    m_orientation = orientation;
}

void TQpExcel::SetPageBreak(int row)
{
    if (!m_pageBreaks.contains(row))
        m_pageBreaks.append(row);
}

void TQpExcel::SetCellFontName(const QString &name)
{
    if (!name.isEmpty())
        restyleRange([&name](Style &s) { s.FontName = name; });
}

void TQpExcel::SetCellFontSize(double size)
{
    restyleRange([size](Style &s) { s.FontSize = size; });
}

void TQpExcel::SetCellFontColor(quint32 colour)
{
    restyleRange([colour](Style &s) { s.FontColor = colour; });
}

void TQpExcel::SetCellFontStyle(int style)
{
    restyleRange([style](Style &s) { s.FontStyle = quint8(style & 7); });
}

void TQpExcel::SetCellHAlign(int value)
{
    restyleRange([value](Style &s) { s.HAlign = value; });
}

void TQpExcel::SetCellVAlign(int value)
{
    restyleRange([value](Style &s) { s.VAlign = value; });
}

void TQpExcel::SetCellOrientation(int degrees)
{
    restyleRange([degrees](Style &s) { s.Rotation = degrees; });
}

void TQpExcel::SetCellWrap(bool wrap)
{
    restyleRange([wrap](Style &s) { s.Wrap = wrap; });
}

void TQpExcel::SetCellFrame(int bits)
{
    const Range r = m_range;
    const auto edge = [this](int c0, int r0, int c1, int r1, quint8 bit) {
        restyle(c0, r0, c1, r1, [bit](Style &s) { s.Borders |= bit; });
    };
    if (bits & xlFrameLeft)
        edge(r.c0, r.r0, r.c0, r.r1, xlFrameLeft);
    if (bits & xlFrameRight)
        edge(r.c1, r.r0, r.c1, r.r1, xlFrameRight);
    if (bits & xlFrameTop)
        edge(r.c0, r.r0, r.c1, r.r0, xlFrameTop);
    if (bits & xlFrameBottom)
        edge(r.c0, r.r1, r.c1, r.r1, xlFrameBottom);
}

void TQpExcel::SetCellFillColor(quint32 colour)
{
    restyleRange([colour](Style &s) {
        s.Filled = true;
        s.FillColor = colour;
    });
}

void TQpExcel::SetCellNumberFormat(const QString &code)
{
    restyleRange([&code](Style &s) { s.NumberFormat = code; });
}

void TQpExcel::InsertPicture(const QImage &image, double width, double height)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return;
    QImage picture = image;
    // 96 dots per inch: the library then takes one pixel for one screen pixel.
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    // Points to pixels at 96 per inch, relative to the bitmap's own size.
    m_pictures.push_back(Picture{m_range.c0, m_range.r0, png, width * 96.0 / 72.0 / picture.width(),
                                 height * 96.0 / 72.0 / picture.height()});
}

bool TQpExcel::Save(QIODevice &out, QString *error)
{
    // The library writes files only: the workbook is made in a temporary one.
    QTemporaryFile temp(QDir(QDir::tempPath()).filePath(QStringLiteral("qpexcel.XXXXXX.xlsx")));
    if (!temp.open()) {
        *error = temp.errorString();
        return false;
    }
    temp.close();
    if (!writeWorkbook(temp.fileName(), error))
        return false;
    if (!temp.open()) {
        *error = temp.errorString();
        return false;
    }
    while (!temp.atEnd()) {
        const QByteArray chunk = temp.read(1 << 20);
        if (out.write(chunk) != chunk.size()) {
            *error = out.errorString();
            return false;
        }
    }
    return true;
}

void TQpExcel::Show(const QString &fileName) const
{
    if (m_visible)
        UiSeam::OpenUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
}

bool TQpExcel::writeWorkbook(const QString &fileName, QString *error)
{
    lxw_workbook_options options{};
    const QByteArray tempDir = QFile::encodeName(QDir::tempPath());
    options.tmpdir = const_cast<char *>(tempDir.constData());
    options.use_zip64 = LXW_TRUE;
    WorkbookGuard guard{workbook_new_opt(QFile::encodeName(fileName).constData(), &options)};
    if (!guard.book) {
        *error = QStringLiteral("workbook");
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(guard.book, nullptr);

    // Library formats are made for the styles in use only.
    std::vector<lxw_format *> formats(m_styles.size(), nullptr);
    std::vector<QByteArray> keepAlive; // the library keeps pointers to names until the workbook is written
    const auto formatOf = [&](int id) -> lxw_format * {
        if (formats[size_t(id)])
            return formats[size_t(id)];
        const Style &s = m_styles[size_t(id)];
        lxw_format *f = workbook_add_format(guard.book);
        if (!s.FontName.isEmpty()) {
            keepAlive.push_back(s.FontName.toUtf8());
            format_set_font_name(f, keepAlive.back().constData());
        }
        if (s.FontSize > 0)
            format_set_font_size(f, s.FontSize);
        if (s.FontColor != 0)
            format_set_font_color(f, rgbOf(s.FontColor));
        if (s.FontStyle & 1)
            format_set_bold(f);
        if (s.FontStyle & 2)
            format_set_italic(f);
        if (s.FontStyle & 4)
            format_set_underline(f, LXW_UNDERLINE_SINGLE);
        if (const uint8_t h = horizontalOf(s.HAlign))
            format_set_align(f, h);
        if (const uint8_t v = verticalOf(s.VAlign))
            format_set_align(f, v);
        if (s.Rotation)
            format_set_rotation(f, int16_t(s.Rotation));
        if (s.Wrap)
            format_set_text_wrap(f);
        if (s.Borders & xlFrameLeft)
            format_set_left(f, LXW_BORDER_THIN);
        if (s.Borders & xlFrameRight)
            format_set_right(f, LXW_BORDER_THIN);
        if (s.Borders & xlFrameTop)
            format_set_top(f, LXW_BORDER_THIN);
        if (s.Borders & xlFrameBottom)
            format_set_bottom(f, LXW_BORDER_THIN);
        if (s.Filled) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            // The library takes 0 for "no colour"; black is its nearest neighbour.
            format_set_fg_color(f, rgbOf(s.FillColor) ? rgbOf(s.FillColor) : 0x000001);
        }
        if (!s.NumberFormat.isEmpty()) {
            keepAlive.push_back(s.NumberFormat.toUtf8());
            format_set_num_format(f, keepAlive.back().constData());
        }
        formats[size_t(id)] = f;
        return f;
    };

    lxw_error result = LXW_NO_ERROR;
    const auto check = [&result](lxw_error e) {
        if (e != LXW_NO_ERROR && result == LXW_NO_ERROR)
            result = e;
    };
    for (const auto &[column, width] : m_columnWidths)
        check(worksheet_set_column(sheet, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr));
    for (const auto &[row, height] : m_rowHeights)
        check(worksheet_set_row(sheet, lxw_row_t(row - 1), height, nullptr));
    // Merging writes blanks over the range; the cells follow and keep their own formats.
    for (const Range &r : m_merges)
        check(worksheet_merge_range(sheet, lxw_row_t(r.r0 - 1), lxw_col_t(r.c0 - 1), lxw_row_t(r.r1 - 1),
                                    lxw_col_t(r.c1 - 1), "", nullptr));
    std::vector<quint64> keys;
    keys.reserve(m_cells.size());
    for (const auto &entry : m_cells)
        keys.push_back(entry.first);
    std::sort(keys.begin(), keys.end());
    for (const quint64 k : keys) {
        const auto found = m_cells.find(k);
        const Cell c = std::move(found->second);
        m_cells.erase(found);
        const auto row = lxw_row_t((k >> 16) - 1);
        const auto column = lxw_col_t((k & 0xFFFF) - 1);
        lxw_format *f = c.StyleId ? formatOf(c.StyleId) : formatOf(0);
        switch (c.Value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Int:
        case QMetaType::LongLong:
            check(worksheet_write_number(sheet, row, column, c.Value.toDouble(), f));
            break;
        case QMetaType::QString:
            if (!c.Value.toString().isEmpty()) {
                check(worksheet_write_string(sheet, row, column, c.Value.toString().toUtf8().constData(), f));
                break;
            }
            [[fallthrough]];
        default: check(worksheet_write_blank(sheet, row, column, f));
        }
    }
    for (const Picture &p : m_pictures) {
        lxw_image_options o{};
        o.x_scale = p.XScale;
        o.y_scale = p.YScale;
        o.description = const_cast<char *>("");
        check(worksheet_insert_image_buffer_opt(sheet, lxw_row_t(p.Row - 1), lxw_col_t(p.Column - 1),
                                                reinterpret_cast<const unsigned char *>(p.Png.constData()),
                                                size_t(p.Png.size()), &o));
    }
    if (!m_pageBreaks.isEmpty()) {
        QList<int> rows = m_pageBreaks;
        std::sort(rows.begin(), rows.end());
        // The spreadsheet keeps at most 1023 manual breaks; they end with 0.
        std::vector<lxw_row_t> breaks;
        for (int row : std::as_const(rows))
            if (row > 1 && breaks.size() < size_t(MaxPageBreaks))
                breaks.push_back(lxw_row_t(row - 1));
        breaks.push_back(0);
        check(worksheet_set_h_pagebreaks(sheet, breaks.data()));
    }
    if (m_margins[0] >= 0)
        worksheet_set_margins(sheet, m_margins[0] / 72.0, m_margins[1] / 72.0, m_margins[2] / 72.0,
                              m_margins[3] / 72.0);
    if (m_paper > 0 && m_paper < 256)
        worksheet_set_paper(sheet, uint8_t(m_paper));
    if (m_orientation == xlLandscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    worksheet_set_selection(sheet, 0, 0, 0, 0);

    lxw_workbook *book = guard.book;
    guard.book = nullptr;
    const lxw_error closed = workbook_close(book);
    if (result == LXW_NO_ERROR)
        result = closed;
    if (result != LXW_NO_ERROR) {
        *error = QString::fromUtf8(lxw_strerror(result));
        return false;
    }
    return true;
}
