#include "report/model/page.h"

#include "report/core/conversions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include <QSet>
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/object_registry.h"
#include "report/model/qp3_writer.h"
#include "report/model/report.h"

namespace {

// Entry markers of the pages section.
constexpr quint8 kPageMarker = 255, kDictionaryMarker = 254, kDataManagerMarker = 253, kEndMarker = 252;
constexpr quint8 kLastObjectCode = 10;
constexpr qint32 kPageRecordMarker = -1;
// The virtual printer travels as the one-character string 1, whatever its
// name is in the current language.
const QString kVirtualPrinterTag = QString(QChar(1));

int tenthsToUnits(int tenths) { return qpRound(tenths / 10.0 * 18 / 5); }
int unitsToTenths(double units) { return qpRound(units * 10 * 5 / 18); }

// A record the format cannot carry is refused with the name of its page or
// object, so the user knows what to change.
template<typename Write>
void writeNamed(const QString &name, Write write)
{
    try {
        write();
    } catch (const EWriteError &e) {
        throw EWriteError(qpLoadStr(qpMsgObjectNotSaved).arg(name, e.message()));
    }
}

[[noreturn]] void readStop() { throw EReadError(qpLoadStr(qpMsgStreamRead)); }

} // namespace

// ---------------------------------------------------------------- TqpPage

TqpPage::TqpPage(int paperSize, int paperWidth, int paperHeight, int paperBin, TPrinterOrientation orientation)
{
    ChangePaper(paperSize, paperWidth, paperHeight, paperBin, orientation);
}

TqpPage::~TqpPage() { Clear(); }

void TqpPage::ChangePaper(int paperSize, int paperWidth, int paperHeight, int paperBin,
                          TPrinterOrientation orientation)
{
    try {
        Prn->SetPrinterInfo(paperSize, paperWidth, paperHeight, paperBin, orientation, false);
        Prn->FillPrnInfo(PrnInfo);
    } catch (const std::exception &) {
        // A printer that refuses the paper gets the same size as a custom one.
        Prn->SetPrinterInfo(qpPaperCustom, paperWidth, paperHeight, -1, orientation, false);
        Prn->FillPrnInfo(PrnInfo);
    }
    PaperSize = Prn->PaperSize;
    PaperWidth = Prn->PaperWidth;
    PaperHeight = Prn->PaperHeight;
    Orientation = quint8(Prn->Orientation);
    PaperBin = (paperBin & 0xFFFF) == 0xFFFF ? qpDefaultBin : quint32(Prn->PaperBin);
}

void TqpPage::Clear()
{
    while (!Items.isEmpty())
        Delete(0);
}

void TqpPage::Delete(int index)
{
    delete Items.takeAt(index);
}

int TqpPage::FindObjectByID(quint32 id) const
{
    for (int i = 0; i < Items.size(); ++i)
        if (Items.at(i)->ID == id)
            return i;
    return -1;
}

void TqpPage::CreateUniqueName()
{
    Name = QStringLiteral("Page");
    QSet<QString> taken;
    if (CurReport)
        for (int i = 0; TqpObject *page = CurReport->PageAt(i); ++i)
            if (auto *p = dynamic_cast<TqpPage *>(page); p && p != this)
                taken.insert(p->Name);
    for (int i = 1; i <= 10000; ++i) {
        const QString candidate = QStringLiteral("Page") + QString::number(i);
        if (!taken.contains(candidate)) {
            Name = candidate;
            return;
        }
    }
}

void TqpPage::SetPropValue(const QString &name, const Variant &value)
{
    const QString n = qpUpperCase(name);
    const bool dialog = PageType == ptDialog;
    if (n == QLatin1String("LEFT"))
        Left = value.toInt();
    else if (n == QLatin1String("TOP"))
        Top = value.toInt();
    else if (n == QLatin1String("WIDTH")) {
        if (dialog)
            Width = value.toInt();
        else
            PaperWidth = unitsToTenths(value.toReal());
    } else if (n == QLatin1String("HEIGHT")) {
        if (dialog)
            Height = value.toInt();
        else
            PaperHeight = unitsToTenths(value.toReal());
    } else if (n == QLatin1String("TYPE"))
        PageType = quint8(value.toInt());
    else if (n == QLatin1String("BORDERSTYLE"))
        BorderStyle = quint8(value.toInt());
    else if (n == QLatin1String("CAPTION"))
        Caption = value.toString();
    else if (n == QLatin1String("NAME"))
        Name = value.toString();
    else if (n == QLatin1String("COLOR"))
        Color = quint32(value.toInt());
    else if (n == QLatin1String("POSITION"))
        Position = quint8(value.toInt());
    else if (n == QLatin1String("SIZE"))
        PaperSize = value.toInt();
    else if (n == QLatin1String("LEFTMARGIN"))
        Margins.Left = value.toInt();
    else if (n == QLatin1String("TOPMARGIN"))
        Margins.Top = value.toInt();
    else if (n == QLatin1String("RIGHTMARGIN"))
        Margins.Right = value.toInt();
    else if (n == QLatin1String("BOTTOMMARGIN"))
        Margins.Bottom = value.toInt();
    else if (n == QLatin1String("ORIENTATION"))
        Orientation = quint8(value.toInt());
    else if (n == QLatin1String("PRINTTOPREVPAGE"))
        PrintToPrevPage = value.toBool();
    else if (n == QLatin1String("STRETCHTOPRINTABLE"))
        UseMargins = !value.toBool();
    else if (n == QLatin1String("COLUMNS"))
        ColCount = value.toInt();
    else if (n == QLatin1String("COLUMNGAP"))
        ColGap = value.toInt();
    else if (n == QLatin1String("COLUMNWIDTH"))
        ColWidth = value.toInt();
    else if (n == QLatin1String("VISIBLE"))
        Visible = value.toBool();
}

Variant TqpPage::GetPropValue(const QString &name)
{
    const QString n = qpUpperCase(name);
    const bool dialog = PageType == ptDialog;
    const bool printing = DocMode == dmPrinting;
    if (n == QLatin1String("LEFT"))
        return Left;
    if (n == QLatin1String("TOP"))
        return Top;
    if (n == QLatin1String("WIDTH"))
        return dialog ? Width : tenthsToUnits(PaperWidth);
    if (n == QLatin1String("HEIGHT"))
        return dialog ? Height : tenthsToUnits(PaperHeight);
    if (n == QLatin1String("TYPE"))
        return int(PageType);
    if (n == QLatin1String("BORDERSTYLE"))
        return int(BorderStyle);
    if (n == QLatin1String("CAPTION"))
        return Caption;
    if (n == QLatin1String("NAME"))
        return Name;
    if (n == QLatin1String("COLOR"))
        return int(Color);
    if (n == QLatin1String("POSITION"))
        return int(Position);
    if (n == QLatin1String("SIZE"))
        return PaperSize;
    if (n == QLatin1String("LEFTMARGIN"))
        return printing ? LeftMargin() : Margins.Left;
    if (n == QLatin1String("TOPMARGIN"))
        return printing ? TopMargin() : Margins.Top;
    if (n == QLatin1String("RIGHTMARGIN"))
        return printing ? RightMargin() : Margins.Right;
    if (n == QLatin1String("BOTTOMMARGIN"))
        return printing ? BottomMargin() : Margins.Bottom;
    if (n == QLatin1String("ORIENTATION"))
        return int(Orientation);
    if (n == QLatin1String("PRINTTOPREVPAGE"))
        return PrintToPrevPage;
    if (n == QLatin1String("STRETCHTOPRINTABLE"))
        return !UseMargins;
    if (n == QLatin1String("COLUMNS"))
        return ColCount;
    if (n == QLatin1String("COLUMNGAP"))
        return ColGap;
    if (n == QLatin1String("VISIBLE"))
        return Visible;
    return Variant::null();
}

void TqpPage::DefineProperties()
{
    const TqpPropEditor scriptEditor = [this](TqpObject *) { ScriptEditor(); };
    AddEnumProperty(QStringLiteral("Type"), QStringLiteral("ptReport;ptDialog"), {0, 1});
    AddProperty(QStringLiteral("Visible"), 0);
    if (PageType == ptDialog) {
        AddEnumProperty(QStringLiteral("BorderStyle"), QStringLiteral("bsDialog;bsSizeable"), {3, 2});
        AddProperty(QStringLiteral("Caption"), qpdt({qpdtString}));
        AddProperty(QStringLiteral("Color"), qpdt({qpdtColor}));
        AddProperty(QStringLiteral("Left"), qpdt({qpdtSize}));
        AddProperty(QStringLiteral("Top"), qpdt({qpdtSize}));
        AddProperty(QStringLiteral("Width"), qpdt({qpdtInteger}));
        AddProperty(QStringLiteral("Height"), qpdt({qpdtInteger}));
        AddEnumProperty(QStringLiteral("Position"), QStringLiteral("poDesigned;poScreenCenter"), {0, 4});
        AddProperty(QStringLiteral("OnActivate"), qpdt({qpdtHasEditor, qpdtOneObject}), scriptEditor);
        return;
    }
    if (Prn && Prn->PaperCount > 0) {
        QList<Variant> codes;
        for (int i = 0; i < Prn->PaperCount; ++i)
            codes.append(Prn->PaperCodes.value(i));
        AddEnumProperty(QStringLiteral("Size"), Prn->PaperTitles.mid(0, Prn->PaperCount).join(QLatin1Char(';')), codes);
    } else {
        AddEnumProperty(QStringLiteral("Size"), QStringLiteral("No data"), {});
    }
    for (const char *size : {"Width", "Height", "LeftMargin", "TopMargin", "RightMargin", "BottomMargin"})
        AddProperty(QString::fromLatin1(size), qpdt({qpdtSize}));
    AddEnumProperty(QStringLiteral("Orientation"), QStringLiteral("poPortrait;poLandscape"), {0, 1});
    AddProperty(QStringLiteral("PrintToPrevPage"), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("StretchToPrintable"), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("Columns"), qpdt({qpdtInteger}));
    AddProperty(QStringLiteral("ColumnWidth"), 0);
    AddProperty(QStringLiteral("ColumnGap"), qpdt({qpdtSize}));
    AddProperty(QStringLiteral("OnBeforePrint"), qpdt({qpdtHasEditor, qpdtOneObject}), scriptEditor);
}

void TqpPage::ScriptEditor()
{
    // The text editor works on an object's lines; a throw-away text object
    // carries the script there and back.
    if (!qpMemoEditor)
        return;
    TqpMemoView carrier;
    carrier.Memo = Script;
    qpMemoEditor(&carrier);
    Script = carrier.Memo;
}

int TqpPage::TopMargin() const
{
    if (!UseMargins)
        return 0;
    return Margins.Top ? Margins.Top : PrnInfo.SheetOffsetY;
}

int TqpPage::BottomMargin() const
{
    int bottom = PrnInfo.SheetHeight;
    if (UseMargins)
        bottom = Margins.Bottom ? PrnInfo.SheetHeight - Margins.Bottom : PrnInfo.SheetOffsetY + PrnInfo.PrintHeight;
    if (DocMode == dmPrinting && Formation)
        bottom -= Formation->PageFooterHeight();
    return bottom;
}

void TqpPage::ShowBandByName(const QString &name)
{
    if (Formation)
        Formation->ShowBandByName(name);
}

int TqpPage::LeftMargin() const
{
    if (!UseMargins)
        return 0;
    return Margins.Left ? Margins.Left : PrnInfo.SheetOffsetX;
}

int TqpPage::RightMargin() const
{
    if (!UseMargins)
        return PrnInfo.SheetWidth;
    return Margins.Right ? PrnInfo.SheetWidth - Margins.Right : PrnInfo.SheetOffsetX + PrnInfo.PrintWidth;
}

void TqpPage::LoadFromStream(QIODevice &s)
{
    const qint32 first = qpReadInteger(s);
    const bool marked = first == kPageRecordMarker;
    PaperSize = marked ? qpReadInteger(s) : first;
    PaperWidth = qpReadInteger(s);
    PaperHeight = qpReadInteger(s);
    Margins.Left = qpReadInteger(s);
    Margins.Top = qpReadInteger(s);
    Margins.Right = qpReadInteger(s);
    Margins.Bottom = qpReadInteger(s);
    Orientation = qpReadByte(s);
    if (qpVersion < 23 && s.skip(6) != 6)
        readStop();
    PaperBin = qpVersion > 23 ? quint32(qpReadInteger(s)) : quint32(-1);
    PrintToPrevPage = qpReadWord(s) != 0;
    UseMargins = qpReadWord(s) != 0;
    ColCount = qpReadInteger(s);
    ColGap = qpReadInteger(s);
    if (qpVersion >= 24) {
        PageType = qpReadByte(s);
        Name = qpReadString(s);
        const quint8 border = qpReadByte(s);
        BorderStyle = border == 0 ? quint8(bsDialog) : border == 1 ? quint8(bsSizeable) : border;
        Caption = qpReadString(s);
        Color = quint32(qpReadInteger(s));
        Left = qpReadInteger(s);
        Top = qpReadInteger(s);
        Width = qpReadInteger(s);
        Height = qpReadInteger(s);
        Position = qpReadByte(s) ? poScreenCenter : poDesigned;
        if (marked)
            qpReadMemo(s, Script);
    } else {
        CreateUniqueName();
    }
    // Stored orientations other than landscape are read as portrait.
    ChangePaper(PaperSize, PaperWidth, PaperHeight, int(PaperBin),
                Orientation == poLandscape ? poLandscape : poPortrait);
}

void TqpPage::SaveToStream(QIODevice &s)
{
    qpWriteInteger(s, kPageRecordMarker);
    qpWriteInteger(s, PaperSize);
    qpWriteInteger(s, PaperWidth);
    qpWriteInteger(s, PaperHeight);
    qpWriteInteger(s, Margins.Left);
    qpWriteInteger(s, Margins.Top);
    qpWriteInteger(s, Margins.Right);
    qpWriteInteger(s, Margins.Bottom);
    qpWriteByte(s, Orientation);
    qpWriteInteger(s, qint32(PaperBin));
    qpWriteWord(s, PrintToPrevPage ? 0xFFFF : 0);
    qpWriteWord(s, UseMargins ? 0xFFFF : 0);
    qpWriteInteger(s, ColCount);
    qpWriteInteger(s, ColGap);
    qpWriteByte(s, PageType);
    qpWriteString(s, Name);
    qpWriteByte(s, BorderStyle == bsSizeable ? bsSizeable : bsDialog);
    qpWriteString(s, Caption);
    qpWriteInteger(s, qint32(Color));
    qpWriteInteger(s, Left);
    qpWriteInteger(s, Top);
    qpWriteInteger(s, Width);
    qpWriteInteger(s, Height);
    qpWriteByte(s, Position ? poScreenCenter : poDesigned);
    qpWriteMemo(s, Script);
}

// ---------------------------------------------------------------- TqpPages

TqpPage *TqpPages::Add()
{
    m_pages.append(new TqpPage(qpDefaultPaper, 0, 0, -1, poPortrait));
    return m_pages.last();
}

void TqpPages::Delete(int index)
{
    delete m_pages.takeAt(index);
}

void TqpPages::Move(int from, int to)
{
    m_pages.move(from, to);
}

void TqpPages::Clear()
{
    qDeleteAll(m_pages);
    m_pages.clear();
}

void TqpPages::Append(TqpPage *page)
{
    m_pages.append(page);
}

TqpPage *TqpPages::Take(TqpPage *page)
{
    return m_pages.removeOne(page) ? page : nullptr;
}

void TqpPages::RefreshObjects()
{
    for (TqpPage *page : std::as_const(m_pages)) {
        CurPage = page;
        for (TqpView *view : std::as_const(page->Items))
            if (view->BandAlign != baNone)
                view->Draw(&TempBitmap->Canvas);
    }
}

void TqpPages::SaveToStream(QIODevice &s)
{
    if (Parent->SavingQP3) {
        SaveToQP3Stream(Parent, s);
        return;
    }
    if (m_pages.size() > qpMaxPages)
        throw EWriteError(qpLoadStr(qpMsgTooManyPages).arg(m_pages.size()).arg(qpMaxPages));
    qpWriteWord(s, Parent->PrintToDefault ? 0xFFFF : 0);
    qpWriteWord(s, Parent->DoublePassReport ? 0xFFFF : 0);
    qpWriteString(s, Prn->IsVirtual() ? kVirtualPrinterTag : Prn->PrinterNames.value(Prn->PrinterIndex));
    for (TqpPage *page : std::as_const(m_pages)) {
        qpWriteByte(s, kPageMarker);
        writeNamed(page->Name, [&] { page->SaveToStream(s); });
    }
    for (int p = 0; p < m_pages.size(); ++p)
        for (TqpView *view : std::as_const(m_pages.at(p)->Items)) {
            qpWriteByte(s, view->Kind);
            if (view->Kind == vkAddIn)
                qpWriteString(s, view->ClassName());
            qpWriteByte(s, quint8(p));
            const qint64 placeholder = qpWriteEndPlaceholder(s);
            view->SaveMode = smQPF;
            writeNamed(view->Name, [&] { view->SaveToStream(s); });
            qpPatchEndPosition(s, placeholder);
        }
    qpWriteByte(s, kDictionaryMarker);
    Parent->Dictionary.SaveToStream(s);
}

void TqpPages::LoadFromStream(QIODevice &s)
{
    Parent->Clear();
    Parent->PrintToDefault = qpReadWord(s) != 0;
    Parent->DoublePassReport = qpReadWord(s) != 0;
    QString printer = qpReadVersionString(s);
    if (printer == kVirtualPrinterTag)
        printer = qpLoadStr(55007);
    Parent->SetPrinterTo(printer);
    while (s.pos() < s.size()) {
        const quint8 marker = qpReadByte(s);
        if (marker == kPageMarker) {
            Add()->LoadFromStream(s);
        } else if (marker == kDictionaryMarker) {
            Parent->Dictionary.LoadFromStream(s);
        } else if (marker == kDataManagerMarker) {
            // No data-manager hook exists here, so its record cannot be
            // skipped: the loop ends as it does after such a record.
            qpReadByte(s);
            break;
        } else if (marker == kEndMarker) {
            break;
        } else if (marker > kLastObjectCode) {
            throw EqpError(QString());
        } else {
            readObjectEntry(s, marker);
        }
    }
    if (ErrorFlag)
        throw EClassNotFound(ErrorStr);
    for (TqpPage *page : std::as_const(m_pages))
        for (TqpView *view : std::as_const(page->Items))
            view->Loaded();
}

void TqpPages::readObjectEntry(QIODevice &s, quint8 code)
{
    qint64 end = -1;
    bool endReached = false;
    try {
        QString className;
        bool framedMemo = false;
        if (code == vkAddIn) {
            className = qpReadVersionString(s);
            const QString upper = className.toUpper();
            if (upper == QLatin1String("TQPBDELOOKUPCONTROL") || upper == QLatin1String("TQPIBXLOOKUPCONTROL"))
                className = QStringLiteral("TqpDBLookupControl");
            else if (upper == QLatin1String("TQPFRAMEDMEMOVIEW")) {
                framedMemo = true;
                code = vkText;
            }
        }
        const int pageIndex = qpReadByte(s);
        // An entry naming a page that was never read has nowhere to go.
        if (pageIndex >= m_pages.size())
            readStop();
        TqpPage *page = m_pages.at(pageIndex);
        CurPage = page;
        TqpView *view = qpCreateObject(code, className);
        if (view) {
            view->OwnerPage = page;
            page->Items.append(view);
        }
        if (qpVersion > 23) {
            endReached = true;
            end = qpReadEndPosition(s);
        }
        if (view) {
            view->SaveMode = smQPF;
            try {
                view->LoadFromStream(s);
            } catch (...) {
                view->SetPropValue(QStringLiteral("Name"), view->Name);
                throw;
            }
            view->SetPropValue(QStringLiteral("Name"), view->Name);
        }
        if (framedMemo && s.skip(8) != 8)
            readStop();
        if (end >= 0 && !s.seek(end))
            readStop();
    } catch (const std::exception &) {
        if (qpVersion < 24)
            return;
        // An end position that is itself unreadable leaves nowhere to go on from.
        if (end < 0 && endReached)
            throw;
        if (end < 0)
            end = qpReadEndPosition(s);
        if (!s.seek(end))
            readStop();
    }
}
