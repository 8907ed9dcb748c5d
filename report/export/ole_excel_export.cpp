#include "ole_excel_export.h"

#include "canvas.h"
#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/report.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <numeric>

namespace {

// Progress is told, and the cancel button looked at, every so many objects.
constexpr int kProgressStep = 256;

// Report names and fonts repeat on every row; one shared copy of each keeps
// the collected objects small.
const QString &shared(const QString &text)
{
    static QHash<QString, QString> pool;
    auto found = pool.find(text);
    if (found == pool.end())
        found = pool.insert(text, text);
    return found.value();
}

// Text the spreadsheet shows literally inside a number format.
QString quoted(const QString &text)
{
    if (text.isEmpty())
        return text;
    QString inner = text;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

int horizontalAlign(int alignment)
{
    const bool right = alignment & qptaRight, centre = alignment & qptaCenter;
    if (right && centre)
        return xlHAlignJustify;
    if (right)
        return xlHAlignRight;
    return centre ? xlHAlignCenter : xlHAlignLeft;
}

int verticalAlign(int alignment)
{
    if (alignment & qptaMiddle)
        return xlVAlignCenter;
    return (alignment & qptaDown) ? xlVAlignBottom : xlVAlignTop;
}

// A non-text object drawn on a bitmap of its size, one pixel per unit.
QImage renderObject(TqpView *view)
{
    QImage image(view->Width + 1, view->Height + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const int left = view->Left, top = view->Top;
    view->Left = 0;
    view->Top = 0;
    view->ScaleX = view->ScaleY = 1;
    view->OffsetX = view->OffsetY = 0;
    {
        TCanvas canvas(&image);
        view->Draw(&canvas);
    }
    view->Left = left;
    view->Top = top;
    return image;
}

} // namespace

TqpOLEExcelExport::TqpOLEExcelExport(QObject *owner) : TqpExportFilter(owner)
{
    ShowDialog = true;
    qpRegisterExportFilter(this, qpLoadStr(qpMsgExcelDescription), QStringLiteral("*.xlsx"));
}

TqpOLEExcelExport::~TqpOLEExcelExport() = default;

int TqpOLEExcelExport::ShowModal() { return ShowDialog ? RunOptionDialog() : int(mrOk); }

void TqpOLEExcelExport::OnBeginDoc()
{
    // The filter opens the finished workbook itself once the file is in
    // place, before the owner's handler hears of it.
    if (!m_chained)
        m_ownerAfterExport = OnAfterExport;
    m_chained = true;
    OnAfterExport = [this](const QString &fileName) { afterExport(fileName); };
    m_excel.OpenExcel();
    m_lastPage = -1;
    m_layout.Clear();
    m_layout.ScaleY = ScaleY;
    m_items.clear();
    m_cells.clear();
}

void TqpOLEExcelExport::afterExport(const QString &fileName)
{
    OnAfterExport = m_ownerAfterExport;
    m_chained = false;
    m_excel.Show(fileName);
    m_excel.Quit();
    if (OnAfterExport)
        OnAfterExport(fileName);
}

void TqpOLEExcelExport::OnBeginPage() { m_lastPage = PageIndex; }

void TqpOLEExcelExport::OnData(int x, int y, TqpView *view)
{
    Item item;
    item.Left = view->Left;
    item.Width = view->Width;
    item.Height = view->Height;
    bool keep = true;
    if (auto *memo = dynamic_cast<TqpMemoView *>(view)) {
        keep = !memo->Memo.isEmpty() || memo->FrameTyp != 0;
        item.IsText = true;
        // Line breaks as the spreadsheet writes them; code 1 marks a
        // paragraph end of wrapped text and carriage returns are dropped.
        QString text = memo->Memo.join(QLatin1Char('\n'));
        text.remove(QLatin1Char('\r'));
        text.remove(QChar(1));
        while (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        item.Text = text;
        item.Font = memo->Font;
        item.Font.Name = shared(memo->Font.Name);
        item.Alignment = memo->Alignment;
        item.FrameTyp = memo->FrameTyp;
        item.FillColor = memo->FillColor;
    } else if (ExportPictures) {
        item.Picture = renderObject(view);
    } else {
        keep = false;
    }
    // Every object's edges shape the grid, kept or not.
    item.Top = m_layout.AddObject(view->Left, view->Top, view->Width, view->Height);
    if (keep)
        m_items.push_back(std::move(item));
}

void TqpOLEExcelExport::OnEndPage() { m_layout.EndPage(true); }

void TqpOLEExcelExport::OnEndDoc()
{
    buildSheet();
    QString error;
    if (!m_excel.Save(*Stream, &error))
        throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(FileName, error));
}

QVariant TqpOLEExcelExport::CellValue(const Item &item, QString &numberFormat)
{
    numberFormat.clear();
    // Prepared pages keep the printed text, not the value: a number is
    // recognised by the form the Turkish settings print it in (thousands
    // ".", decimals ","), optionally with a currency or percent sign after
    // it. A leading zero (a telephone, a code) or more digits than a real
    // holds keep the text as it is, so nothing printed changes.
    static const QRegularExpression number(
        QStringLiteral("^(-?)(0|[1-9]\\d{0,2}(?:\\.\\d{3})+|[1-9]\\d*)(?:,(\\d+))?(\\s?(?:TL|₺|%|\\$|€))?$"));
    static const QRegularExpression date(QStringLiteral("^(\\d{2})\\.(\\d{2})\\.(\\d{4})$"));
    const QString text = item.Text.trimmed();
    if (const QRegularExpressionMatch m = number.match(text); m.hasMatch()) {
        QString digits = m.captured(2);
        const bool grouped = digits.contains(QLatin1Char('.'));
        digits.remove(QLatin1Char('.'));
        const QString fraction = m.captured(3);
        if (digits.size() + fraction.size() > 15)
            return item.Text;
        double value = (digits + QLatin1Char('.') + (fraction.isEmpty() ? QStringLiteral("0") : fraction)).toDouble();
        if (!m.captured(1).isEmpty())
            value = -value;
        // Under 1000 grouping would not have shown: grouped, a column of
        // such numbers reads alike.
        numberFormat = grouped || digits.size() < 4 ? QStringLiteral("#,##0") : QStringLiteral("0");
        if (!fraction.isEmpty())
            numberFormat += QLatin1Char('.') + QString(fraction.size(), QLatin1Char('0'));
        numberFormat += quoted(m.captured(4));
        return value;
    }
    if (const QRegularExpressionMatch m = date.match(text); m.hasMatch()) {
        const QDate day(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
        if (!day.isValid())
            return item.Text;
        numberFormat = QStringLiteral("dd.mm.yyyy");
        return QVariant(QDateTime(day, QTime(0, 0)));
    }
    return item.Text;
}

void TqpOLEExcelExport::progress(int messageId, const QString &detail)
{
    if (qpProgressUi.SetLabel)
        qpProgressUi.SetLabel(qpLoadStr(messageId), qpLoadStr(messageId) + detail);
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TqpOLEExcelExport::buildSheet()
{
    m_layout.SortEdges();
    const int columns = m_layout.ColumnCount(), rows = m_layout.RowCount();
    if (columns > TQpExcel::MaxColumns || rows > TQpExcel::MaxRows)
        throw EqpError(qpLoadStr(qpMsgExcelTooLarge).arg(columns).arg(rows));
    // Placed in order, equal ones as they were printed; the objects stay
    // where they are, only their indices are sorted.
    std::vector<int> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int i, int j) {
        const Item &a = m_items[size_t(i)], &b = m_items[size_t(j)];
        return qpPlacedBefore(a.Top, a.Left, a.Text.size(), b.Top, b.Left, b.Text.size());
    });
    m_cells.clear();
    m_cells.reserve(order.size());
    for (const int i : order) {
        const Item &item = m_items[size_t(i)];
        m_cells.push_back(m_layout.Place(i, item.Left, item.Top, item.Width, item.Height));
    }
    progress(qpMsgExcelWait, QString());

    // The paper of the last exported page: orientation, and margins from
    // report units to points.
    if (Report && m_lastPage >= 0 && m_lastPage < Report->GetEMFPages().GetCount()) {
        const TqpPageInfo &page = Report->GetEMFPages().GetPages(m_lastPage);
        m_excel.SetPageMargin(page.Margins.Left / 4.0, page.Margins.Right / 4.0, page.Margins.Top / 4.0,
                              page.Margins.Bottom / 4.0,
                              page.Orientation == poLandscape ? xlLandscape : xlPortrait);
        m_excel.SetPaperSize(page.PaperSize);
    }
    if (Report)
        Report->Terminated = false;

    const std::vector<TObjCell> &y = m_layout.YEdges();
    for (int r = 1; r <= rows; ++r)
        m_excel.SetRowSize(r, (y[size_t(r)].Pos - y[size_t(r - 1)].Pos) * ScaleY / 1.3);
    progress(qpMsgExcelRows, QString::number(rows));
    if (PageBreaks)
        for (int row : m_layout.PageBreakRows())
            m_excel.SetPageBreak(row);
    const std::vector<TObjCell> &x = m_layout.XEdges();
    for (int c = 1; c <= columns; ++c)
        m_excel.SetColSize(c, (x[size_t(c)].Pos - x[size_t(c - 1)].Pos) * ScaleX / 8);
    progress(qpMsgExcelColumns, QString::number(columns));

    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const TObjPos &pos = m_cells[i];
        const Item &item = m_items[size_t(pos.ObjIndex)];
        m_excel.SetRange(pos.Col + 1, pos.Row + 1, pos.ColSpan, pos.RowSpan);
        if (item.IsText)
            placeText(item, pos, i);
        else
            m_excel.InsertPicture(item.Picture, item.Width / 1.5, item.Height / 1.5);
        if ((i + 1) % kProgressStep == 0) {
            // Time still needed, at the pace so far.
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            const qint64 remaining = (now - start) * qint64(m_cells.size() - i - 1) / qint64(i + 1);
            progress(qpMsgExcelObjects, QString::number(i + 1) + qpLoadStr(qpMsgExcelRemained) +
                                            QTime(0, 0).addMSecs(int(remaining)).toString(QStringLiteral("HH:mm:ss")));
            if (Report && Report->Terminated)
                break; // what was placed so far is saved
        }
    }
    m_excel.SetRange(1, 1, 1, 1);
    m_excel.SetVisible(OpenExcelAfterExport);
}

void TqpOLEExcelExport::placeText(const Item &item, const TObjPos &pos, size_t index)
{
    if (CellsBorders && item.FrameTyp)
        m_excel.SetCellFrame(item.FrameTyp & 0x0F);
    if (CellsFillColor && item.FillColor != clNone)
        m_excel.SetCellFillColor(item.FillColor);
    if (item.Alignment & qptaVertical)
        m_excel.SetCellOrientation(90);
    if (CellsMerged && (pos.ColSpan > 1 || pos.RowSpan > 1)) {
        int colSpan = 0, rowSpan = 0;
        m_layout.MergeSpans(m_cells, index, colSpan, rowSpan);
        if (colSpan > 1 || rowSpan > 1) {
            m_excel.SetRange(pos.Col + 1, pos.Row + 1, colSpan, rowSpan);
            m_excel.MergeCells();
        } else {
            m_excel.SetRange(pos.Col + 1, pos.Row + 1, 1, 1);
        }
    }
    // A property left out takes the sheet's plain value: no style, 10
    // points, black, left and top.
    m_excel.SetCellFontStyle(CellsFontStyle ? item.Font.Style : 0);
    m_excel.SetCellFontSize(CellsFontSize ? item.Font.Size : 10);
    if (CellsFontName)
        m_excel.SetCellFontName(item.Font.Name);
    m_excel.SetCellHAlign(CellsAlign ? horizontalAlign(item.Alignment) : xlHAlignLeft);
    m_excel.SetCellVAlign(CellsAlign ? verticalAlign(item.Alignment) : xlVAlignTop);
    m_excel.SetCellFontColor(CellsFontColor ? item.Font.Color : 0);
    if (!CellsWrapWords)
        m_excel.SetCellWrap(false);
    QString numberFormat;
    const QVariant value = CellValue(item, numberFormat);
    if (!numberFormat.isEmpty())
        m_excel.SetCellNumberFormat(numberFormat);
    if (!item.Text.isEmpty())
        m_excel.SetCell(pos.Col + 1, pos.Row + 1, value);
}
