#include "report/engine/prepared_pages.h"

#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/stream_utils.h"

#include <modal_seam.h>
#include <platform_printers.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPaintDevice>
#include <QPainter>
#include <QSaveFile>
#include <QUrl>
#include <algorithm>
#include <climits>

std::function<void(const QString &target)> qpOpenDocument = [](const QString &target) {
    UiSeam::OpenUrl(QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile));
};

namespace {

// First bytes that are a version byte; anything else starts a file without one.
constexpr quint8 kFirstVersion = 24, kLastVersion = 31;
// Compressed-flag values of the current format; others mean pages stored as pictures.
constexpr quint8 kPlain = 0, kCompressed = 1, kCompressedToo = 255;
// Files up to this version keep no paper bin and no margins per page.
constexpr int kLastShortPageVersion = 23;

// The error of page `n` (from 1), with what went wrong in it.
[[noreturn]] void pageError(qint32 n, const EqpError &e)
{
    throw EReadError(qpLoadStr(qpMsgPreparedPage).arg(n).arg(e.message()));
}

// A page block whose end lies inside its own page settings.
void checkBlockEnd(QIODevice &s, qint64 end)
{
    if (s.pos() > end)
        throw EReadError(qpLoadStr(qpMsgPreparedBlockEnd));
}

qint32 readPageCount(QIODevice &s)
{
    const qint32 count = qpReadInteger(s);
    if (count < 0)
        throw EReadError(qpLoadStr(qpMsgPreparedCount).arg(count));
    return count;
}

// A rectangle of products rounded to the nearest integer; values beyond the
// integer range are pinned to it so that any stored geometry stays drawable.
QRect roundedRect(double left, double top, double right, double bottom)
{
    const auto r = [](double v) {
        return int(std::clamp<qint64>(qpRound64(std::clamp(v, -4e18, 4e18)), INT_MIN / 2, INT_MAX / 2));
    };
    const int l = r(left), t = r(top);
    return QRect(QPoint(l, t), QPoint(r(right) - 1, r(bottom) - 1));
}

// Objects are drawn with integer arithmetic; a record whose numbers lie far
// beyond any sheet (only a damaged file has them) is refused, not drawn.
constexpr int kFarBeyondAnySheet = 1 << 16;
// The largest font size, in points, word processors offer; the font engine
// fails on glyphs hundreds of times that size.
constexpr int kLargestFontSize = 1638;

bool withinReach(std::initializer_list<qint64> values)
{
    return std::all_of(values.begin(), values.end(),
                       [](qint64 v) { return v >= -kFarBeyondAnySheet && v <= kFarBeyondAnySheet; });
}

void checkReach(const TqpView &view)
{
    bool ok = withinReach({view.Left, view.Top, view.Width, view.Height, view.GapX, view.GapY,
                           qint64(view.Left) + view.Width, qint64(view.Top) + view.Height}) &&
              std::abs(view.FrameWidth) <= kFarBeyondAnySheet;
    if (const auto *memo = dynamic_cast<const TqpMemoView *>(&view))
        ok = ok && withinReach({memo->LineSpacing, memo->CharSpacing}) && std::abs(memo->Font.Size) <= kLargestFontSize;
    if (!ok)
        throw EReadError(qpLoadStr(qpMsgPreparedReach).arg(view.Name));
}

// Paper size code, width and height (tenths of a millimetre) and orientation,
// as both layouts of the page record begin.
void readPaper(QIODevice &s, TqpPageInfo &info)
{
    info.PaperSize = qpReadWord(s);
    info.PaperWidth = qpReadInteger(s);
    info.PaperHeight = qpReadInteger(s);
    info.Orientation = qpReadByte(s);
}

// Paper up to ten metres a side, in tenths of a millimetre.
constexpr qint32 kLargestPaper = 100000;

// The paper goes to the printer and the margins into page limits, both
// computed with integers: a page whose numbers no paper has is refused.
void checkPaper(const TqpPageInfo &info)
{
    const TRect &m = info.Margins;
    if (info.PaperWidth <= 0 || info.PaperWidth > kLargestPaper || info.PaperHeight <= 0 ||
        info.PaperHeight > kLargestPaper || !withinReach({m.Left, m.Top, m.Right, m.Bottom}))
        throw EReadError(qpLoadStr(qpMsgPreparedPaper).arg(info.PaperWidth).arg(info.PaperHeight));
}

bool isUrlObject(const TqpView *view) { return view->Name.startsWith(QLatin1String("URL")); }

// "Bu bağlantı açılsın mı?", the question before a link that is no web or
// mail address; the target follows it on a line of its own.
constexpr int qpMsgOpenLink = 59310;

// A prepared report may come from anywhere (a file received by e-mail), so
// only web and mail addresses open at a click; a path, a file: address or
// any other scheme could start a program and is shown to the operator first.
bool isPlainAddress(const QString &target)
{
    for (const char *scheme : {"http:", "https:", "mailto:"})
        if (target.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    return false;
}

void openLink(const QString &target)
{
    if (!qpOpenDocument)
        return;
    if (!isPlainAddress(target) &&
        UiSeam::MessageBox(nullptr, QMessageBox::Question, QCoreApplication::applicationName(),
                           qpLoadStr(qpMsgOpenLink) + QLatin1Char('\n') + target,
                           QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    qpOpenDocument(target);
}

// The template page a prepared page reads its objects into.
std::unique_ptr<TqpPage> makePage(const TqpPageInfo &info)
{
    auto page = std::make_unique<TqpPage>(info.PaperSize, info.PaperWidth, info.PaperHeight, info.PaperBin,
                                          info.Orientation ? poLandscape : poPortrait);
    page->Margins = info.Margins;
    page->UseMargins = info.UseMargins;
    return page;
}

// Makes `page` CurPage while objects are read into it; unless kept, the
// page is gone with the scope and must not stay current.
class CurPageScope {
public:
    explicit CurPageScope(TqpPage *page) : m_page(page) { CurPage = page; }
    ~CurPageScope()
    {
        if (CurPage == m_page && !m_keep)
            CurPage = nullptr;
    }
    void keep() { m_keep = true; }

private:
    TqpPage *m_page;
    bool m_keep = false;
};

// The paper of a loaded page goes to the printer, which fills the page's geometry.
void fillPrinterInfo(TqpPageInfo &info)
{
    Prn->SetPrinterInfo(info.PaperSize, info.PaperWidth, info.PaperHeight, info.PaperBin,
                        info.Orientation ? poLandscape : poPortrait, false);
    Prn->FillPrnInfo(info.PrnInfo);
}

std::unique_ptr<QBuffer> newStream()
{
    auto stream = std::make_unique<QBuffer>();
    stream->open(QIODevice::ReadWrite);
    return stream;
}

// The bytes from the current position to `end` (which lies within the stream).
QByteArray readTo(QIODevice &s, qint64 end)
{
    const qint64 n = end - s.pos();
    const QByteArray bytes = s.read(n);
    if (bytes.size() != n)
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    return bytes;
}

} // namespace

// ---------------------------------------------------------------- list

TqpEMFPages::TqpEMFPages(TqpReport *parent) : Parent(parent) {}

TqpEMFPages::~TqpEMFPages() { Clear(); }

std::unique_ptr<TqpPageInfo> &TqpEMFPages::record(int index) const
{
    if (index < 0 || index >= GetCount())
        throw EListError(qpLoadStr(qpMsgListIndex).arg(index));
    return const_cast<std::unique_ptr<TqpPageInfo> &>(m_pages[size_t(index)]);
}

TqpPageInfo &TqpEMFPages::GetPages(int index) const { return *record(index); }

QBuffer &TqpEMFPages::CurrentStream() const
{
    QBuffer &stream = *GetPages(GetCount() - 1).Stream;
    stream.seek(stream.size());
    return stream;
}

void TqpEMFPages::Add(TqpPage *page)
{
    Insert(GetCount(), page);
    auto beginPage = [](TqpReportBase *base) {
        if (auto *report = dynamic_cast<TqpReport *>(base); report && report->OnBeginPage)
            report->OnBeginPage(PageNo);
    };
    beginPage(CurReport);
    if (MasterReport != CurReport)
        beginPage(MasterReport);
}

void TqpEMFPages::Insert(int index, TqpPage *page)
{
    auto info = std::make_unique<TqpPageInfo>();
    info->Stream = newStream();
    // The build writes data into this stream: text outside the code page
    // prints as "?" rather than stopping the report. An edited page
    // (PageToObjects) is the operator's own text and stays refused.
    qpReplaceUnmappedText(*info->Stream);
    qpVersion = qpPreparedVersion;
    qpWriteByte(*info->Stream, qpPreparedVersion);
    info->PaperSize = quint16(page->PaperSize);
    info->PaperWidth = page->PaperWidth;
    info->PaperHeight = page->PaperHeight;
    info->Orientation = page->Orientation;
    info->PaperBin = page->PaperBin == qpDefaultBin ? -1 : qint32(page->PaperBin);
    info->UseMargins = page->UseMargins;
    info->Margins = page->Margins;
    info->PrnInfo = page->PrnInfo;
    m_pages.insert(m_pages.begin() + std::clamp(index, 0, GetCount()), std::move(info));
}

void TqpEMFPages::Delete(int index)
{
    ReleaseObjects(index);
    m_pages.erase(m_pages.begin() + index);
}

void TqpEMFPages::Clear()
{
    while (!m_pages.empty())
        Delete(0);
}

void TqpEMFPages::AddFrom(TqpReport *report)
{
    TqpEMFPages &other = report->GetEMFPages();
    if (&other == this)
        return;
    for (auto &info : other.m_pages)
        m_pages.push_back(std::move(info));
    other.m_pages.clear();
}

// ---------------------------------------------------------------- objects

void TqpEMFPages::readObjects(TqpPageInfo &info, const std::function<void(std::unique_ptr<TqpView>)> &take)
{
    QBuffer &s = *info.Stream;
    // A compressed page the compressor could not expand has no objects.
    if (s.size() == 0)
        return;
    s.seek(0);
    qpVersion = qpReadByte(s);
    while (!s.atEnd()) {
        const int code = qpReadByte(s);
        const QString className = code == vkAddIn ? qpReadVersionString(s) : QString();
        std::unique_ptr<TqpView> view(qpCreateObject(code, className));
        // Records carry no length: past an unknown one nothing can be read.
        if (!view)
            throw EReadError(qpLoadStr(qpMsgPreparedObject).arg(code));
        view->SaveMode = smQPP;
        view->LoadFromStream(s);
        view->SaveMode = smQPF;
        checkReach(*view);
        take(std::move(view));
    }
}

void TqpEMFPages::ObjectsToPage(int index)
{
    TqpPageInfo &info = GetPages(index);
    if (info.Page)
        return;
    std::unique_ptr<TqpPage> page = makePage(info);
    CurPageScope scope(page.get());
    readObjects(info, [&page](std::unique_ptr<TqpView> view) {
        if (view->Kind == vkText && (view->Flags & flAutoWidth)) {
            // The width of such a text follows its content; one drawing fixes it
            // before anything hit-tests or places it.
            const TqpDocMode mode = DocMode;
            DocMode = dmPrinting;
            view->Draw(&TempBitmap->Canvas);
            DocMode = mode;
        }
        view->OwnerPage = page.get();
        page->Items.append(view.release());
    });
    scope.keep();
    info.Page = std::move(page);
}

void TqpEMFPages::PageToObjects(int index)
{
    TqpPageInfo &info = GetPages(index);
    if (!info.Page)
        return;
    // Written aside first: an object the format cannot carry (text outside
    // the code page) leaves the page's stream as it was.
    std::unique_ptr<QBuffer> stream = newStream();
    qpVersion = qpPreparedVersion;
    qpWriteByte(*stream, qpPreparedVersion);
    for (TqpView *view : std::as_const(info.Page->Items)) {
        view->SaveMode = smQPP;
        view->ExpandedMemo = view->Memo;
        try {
            view->WriteEntry(*stream);
        } catch (...) {
            view->SaveMode = smQPF;
            throw;
        }
        view->SaveMode = smQPF;
    }
    info.Stream = std::move(stream);
}

void TqpEMFPages::ReleaseObjects(int index)
{
    TqpPageInfo &info = GetPages(index);
    if (info.Page && CurPage == info.Page.get())
        CurPage = nullptr;
    info.Page.reset();
}

void TqpEMFPages::Draw(int index, TCanvas *canvas, const TRect &dest)
{
    DocMode = dmPrinting;
    const bool printing = canvas->IsPrinter && Prn && Prn->Platform() && Prn->Platform()->isPrinting();
    TqpPageInfo &info = GetPages(index);
    if (!info.OnScreen) {
        ReleaseObjects(index);
        return;
    }
    ObjectsToPage(index);
    CurPage = info.Page.get();
    if (info.PrnInfo.SheetWidth <= 0 || info.PrnInfo.SheetHeight <= 0)
        return; // a page without paper has nowhere to put its objects
    const double sx = double(dest.Width()) / info.PrnInfo.SheetWidth;
    const double sy = double(dest.Height()) / info.PrnInfo.SheetHeight;
    const bool everything = printing || canvas->device()->devType() == QInternal::Picture;
    QRect clip;
    if (!everything) {
        QPainter &p = canvas->Painter();
        clip = p.hasClipping() ? p.clipBoundingRect().toAlignedRect()
                               : QRect(0, 0, canvas->device()->width(), canvas->device()->height());
    }
    for (TqpView *view : std::as_const(info.Page->Items)) {
        if (!everything) {
            const QRect r = roundedRect(view->Left * sx + dest.Left - 10, view->Top * sy + dest.Top - 10,
                                        (double(view->Left) + view->Width) * sx + dest.Left + 10,
                                        (double(view->Top) + view->Height) * sy + dest.Top + 10);
            if (!r.intersects(clip))
                continue;
        }
        view->ScaleX = sx;
        view->ScaleY = sy;
        view->OffsetX = dest.Left;
        view->OffsetY = dest.Top;
        view->IsPrinting = printing;
        view->Draw(canvas);
    }
}

void TqpEMFPages::ExportData(int index)
{
    TqpPageInfo &info = GetPages(index);
    const std::unique_ptr<TqpPage> page = makePage(info);
    CurPageScope scope(page.get());
    readObjects(info, [](std::unique_ptr<TqpView> view) { view->ExportData(); });
}

bool TqpEMFPages::DoClick(int index, const QPoint &pt, QString &hint, int &cursor, bool click)
{
    hint.clear();
    ObjectsToPage(index);
    const TqpPageInfo &info = GetPages(index);
    const TqpPrnInfo &prn = info.PrnInfo;
    double kx = 1, ky = 1, ox = 0, oy = 0;
    if (!info.UseMargins) {
        if (prn.SheetWidth <= 0 || prn.SheetHeight <= 0)
            return false;
        kx = double(prn.PrintWidth - info.Margins.Left - info.Margins.Right) / prn.SheetWidth;
        ky = double(prn.PrintHeight - info.Margins.Top - info.Margins.Bottom) / prn.SheetHeight;
        ox = double(prn.SheetOffsetX) + info.Margins.Left;
        oy = double(prn.SheetOffsetY) + info.Margins.Top;
    }
    const QList<TqpView *> &items = info.Page->Items;
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        TqpView *view = items.at(i);
        const QRect r = roundedRect(view->Left * kx + ox, view->Top * ky + oy, ox + kx * (double(view->Left) + view->Width),
                                    oy + ky * (double(view->Top) + view->Height));
        if (!r.contains(pt))
            continue;
        bool answered = false;
        if (click) {
            if (Parent && Parent->OnObjectClick) {
                Parent->OnObjectClick(view);
                answered = true;
            }
            if (isUrlObject(view)) {
                // A target with an at sign is a page link for the caller
                // ("@3"); a mail address carries its scheme.
                if (view->Tag.contains(QLatin1Char('@')) && !isPlainAddress(view->Tag)) {
                    hint = view->Tag;
                } else {
                    hint.clear();
                    openLink(view->Tag);
                }
                answered = true;
            }
        } else {
            if (Parent && Parent->OnMouseOverObject) {
                Parent->OnMouseOverObject(view, cursor);
                answered = true;
            }
            if (isUrlObject(view)) {
                cursor = crHandPoint;
                hint = view->Tag;
                answered = true;
            }
        }
        return answered;
    }
    return false;
}

// ---------------------------------------------------------------- file

void TqpEMFPages::SaveToStream(QIODevice &stream)
{
    const bool compressed = qpCompressor && qpCompressor->Enabled;
    qpWriteByte(stream, qpPreparedVersion);
    qpWriteByte(stream, compressed ? kCompressed : kPlain);
    qpWriteString(stream, Prn ? Prn->PrinterNames.value(Prn->PrinterIndex) : QString());
    qpWriteInteger(stream, GetCount());
    for (const auto &info : std::as_const(m_pages)) {
        const qint64 placeholder = qpWriteEndPlaceholder(stream);
        qpWriteWord(stream, info->PaperSize);
        qpWriteInteger(stream, info->PaperWidth);
        qpWriteInteger(stream, info->PaperHeight);
        qpWriteByte(stream, info->Orientation);
        qpWriteInteger(stream, info->PaperBin);
        qpWriteBoolean(stream, info->UseMargins);
        qpWriteInteger(stream, info->Margins.Left);
        qpWriteInteger(stream, info->Margins.Top);
        qpWriteInteger(stream, info->Margins.Right);
        qpWriteInteger(stream, info->Margins.Bottom);
        QBuffer &pageStream = *info->Stream;
        if (compressed) {
            pageStream.seek(0);
            qpCompressor->Compress(pageStream, stream);
        } else if (stream.write(pageStream.data()) != pageStream.size()) {
            throw EWriteError(stream.errorString());
        }
        qpPatchEndPosition(stream, placeholder);
    }
    qpWriteByte(stream, Parent ? Parent->ReportMarker : qpReportMarker);
}

TqpPageInfo &TqpEMFPages::appendLoadedRecord()
{
    m_pages.push_back(std::make_unique<TqpPageInfo>());
    return *m_pages.back();
}

void TqpEMFPages::LoadFromStream(QIODevice *stream)
{
    Clear();
    if (!stream)
        return;
    QIODevice &s = *stream;
    try {
        if (!s.seek(0))
            throw EReadError(s.errorString());
        int version = qpReadByte(s);
        if (version < kFirstVersion || version > kLastVersion) {
            version = 0;
            s.seek(0);
        }
        const quint8 compressed = qpReadByte(s);
        if (compressed == kPlain || compressed == kCompressed || compressed == kCompressedToo)
            loadCurrentFormat(s, version, compressed);
        else
            loadOldFormat(s);
    } catch (const EqpError &e) {
        // A damaged file loads nothing: no page of it is shown half read.
        Clear();
        throw EReadError(qpLoadStr(qpMsgPreparedDamaged).arg(e.message()));
    } catch (...) {
        Clear();
        throw;
    }
}

void TqpEMFPages::loadCurrentFormat(QIODevice &s, int version, quint8 compressed)
{
    const QString printer = qpReadString(s);
    if (Parent)
        Parent->SetPrinterTo(printer);
    const qint32 count = readPageCount(s);
    for (qint32 n = 1; n <= count; ++n) {
        try {
            const qint64 end = qpReadEndPosition(s);
            TqpPageInfo &info = appendLoadedRecord();
            readPaper(s, info);
            info.PaperBin = version > kLastShortPageVersion ? qpReadInteger(s) : -1;
            info.UseMargins = qpReadBoolean(s);
            if (version > kLastShortPageVersion) {
                info.Margins.Left = qpReadInteger(s);
                info.Margins.Top = qpReadInteger(s);
                info.Margins.Right = qpReadInteger(s);
                info.Margins.Bottom = qpReadInteger(s);
            }
            checkBlockEnd(s, end);
            checkPaper(info);
            const QByteArray bytes = readTo(s, end);
            info.Stream = newStream();
            if (compressed == kPlain) {
                info.Stream->write(bytes);
            } else if (qpCompressor) {
                QBuffer source;
                source.setData(bytes);
                source.open(QIODevice::ReadOnly);
                qpCompressor->DeCompress(source, *info.Stream);
            }
            fillPrinterInfo(info);
        } catch (const EqpError &e) {
            pageError(n, e);
        }
    }
    if (const quint8 marker = qpReadByte(s); Parent)
        Parent->ReportMarker = marker;
}

void TqpEMFPages::loadOldFormat(QIODevice &s)
{
    s.seek(0);
    QStringList printer;
    qpReadMemo22(s, printer);
    if (Parent && !printer.isEmpty())
        Parent->SetPrinterTo(printer.first());
    const qint32 count = readPageCount(s);
    for (qint32 n = 1; n <= count; ++n) {
        try {
            const qint64 end = qpReadEndPosition(s);
            TqpPageInfo &info = appendLoadedRecord();
            readPaper(s, info);
            info.UseMargins = qpReadBoolean(s);
            checkBlockEnd(s, end);
            checkPaper(info);
            fillPrinterInfo(info);
            // The page was kept as one picture; it becomes a picture object
            // covering the sheet, in the units the page is drawn in.
            TqpPictureView picture;
            picture.SetBounds(0, 0, info.PrnInfo.SheetWidth, info.PrnInfo.SheetHeight);
            if (!picture.Picture.LoadFromData(gkMetafile, readTo(s, end)))
                throw EReadError(qpLoadStr(qpMsgInvalidGraphic).arg(QStringLiteral("metafile")));
            info.Stream = newStream();
            qpVersion = qpPreparedVersion;
            qpWriteByte(*info.Stream, qpPreparedVersion);
            picture.SaveMode = smQPP;
            picture.WriteEntry(*info.Stream);
        } catch (const EqpError &e) {
            pageError(n, e);
        }
    }
}

void TqpEMFPages::SaveToFile(const QString &fileName)
{
    QBuffer bytes;
    bytes.open(QIODevice::ReadWrite);
    SaveToStream(bytes);
    // The previous file stays as it was until the new one is complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data()) != bytes.size() || !file.commit())
        throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(fileName, file.errorString()));
}

void TqpEMFPages::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EReadError(qpLoadStr(qpMsgFileNotRead).arg(fileName, file.errorString()));
    try {
        LoadFromStream(&file);
    } catch (const EqpError &e) {
        throw EReadError(qpLoadStr(qpMsgFileNotRead).arg(fileName, e.message()));
    }
}

// ---------------------------------------------------------------- report

TqpEMFPages &TqpReport::GetEMFPages()
{
    if (!EMFPages)
        EMFPages = std::make_shared<TqpEMFPages>(this);
    return *EMFPages;
}

void TqpReport::BuildPage(int index) { GetEMFPages().ObjectsToPage(index); }

void TqpReport::SavePreparedReport(const QString &fileName) { GetEMFPages().SaveToFile(fileName); }

void TqpReport::LoadPreparedReport(const QString &fileName)
{
    CanRebuild = false;
    GetEMFPages().LoadFromFile(fileName);
}
