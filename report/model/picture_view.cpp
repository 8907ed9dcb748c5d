#include "report/model/picture_view.h"

#include "data/field.h"
#include "report/core/conversions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/expr/variables.h"
#include "report/model/model_errors.h"
#include "report/model/qp3_writer.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <cmath>

namespace {

// Picture holders are handed to scripts as numbers through the "PICTURE"
// property. A number is looked up here instead of being taken for an
// address, so a wrong one is ignored rather than followed.
QHash<int, TPicture *> &pictureHandles()
{
    static QHash<int, TPicture *> handles;
    return handles;
}
int nextPictureHandle = 1;

// The metafile is rendered into an image of the visible part of its target;
// beyond this many pixels a side the image is drawn enlarged instead.
constexpr int kMaxRenderSide = 4096;

QString formatName(TGraphicKind kind)
{
    static const char *const names[] = {"", "BMP", "metafile", "ICO", "JPEG"};
    return QLatin1String(names[kind]);
}

void loadGraphic(TPicture &picture, TGraphicKind kind, const QByteArray &bytes)
{
    if (!picture.LoadFromData(kind, bytes))
        throw EInvalidGraphic(qpLoadStr(qpMsgInvalidGraphic).arg(formatName(kind)));
}

// A bitmap field of the old tables carries an 8-byte graphic header before
// the BMP file.
QByteArray withoutGraphicHeader(const QByteArray &bytes)
{
    static const QByteArray header("\x01\x00\x00\x01", 4);
    if (bytes.size() > 10 && bytes.startsWith(header) && bytes.mid(8, 2) == "BM")
        return bytes.mid(8);
    return bytes;
}

// The 16 x 16 mark the designer shows in an empty picture: a small landscape.
const QImage &emptyMark()
{
    static const QImage mark = [] {
        QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setPen(QColor(0x60, 0x60, 0x60));
        p.setBrush(QColor(0xE8, 0xF0, 0xFF));
        p.drawRect(0, 1, 15, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF0, 0xC0, 0x20));
        p.drawEllipse(9, 3, 4, 4);
        p.setBrush(QColor(0x40, 0x90, 0x40));
        const QPoint hills[] = {{1, 14}, {6, 7}, {9, 11}, {11, 9}, {15, 14}};
        p.drawPolygon(hills, 5);
        return img;
    }();
    return mark;
}

// What a printer receives for a bitmap: the picture laid on a 24-bit bitmap.
QImage printable(const QImage &image)
{
    QImage out(image.size(), QImage::Format_RGB888);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

} // namespace

TqpPictureView::TqpPictureView()
{
    Kind = vkPicture;
    Flags = quint16(flStretched) | flKeepAspect;
    BaseName = QStringLiteral("Picture");
    if (qpConsts) {
        qpConsts->SetVariable(QStringLiteral("btBMP"), int(btBMP));
        qpConsts->SetVariable(QStringLiteral("btJPG"), int(btJPG));
        qpConsts->SetVariable(QStringLiteral("btICO"), int(btICO));
        qpConsts->SetVariable(QStringLiteral("btWMF"), int(btWMF));
    }
}

TqpPictureView::~TqpPictureView()
{
    if (m_handle)
        pictureHandles().remove(m_handle);
}

void TqpPictureView::SetPropValue(const QString &name, const Variant &value)
{
    TqpView::SetPropValue(name, value);
    const QString n = qpUpperCase(name);
    const auto setBit = [&](quint16 bit) { Flags = value.toBool() ? (Flags | bit) : (Flags & ~bit); };
    if (n == QLatin1String("CENTER")) {
        setBit(flPictureCenter);
    } else if (n == QLatin1String("KEEPASPECT")) {
        setBit(flKeepAspect);
    } else if (n == QLatin1String("BLOBTYPE")) {
        BlobType = quint8(value.toInt());
    } else if (n == QLatin1String("PICTURE")) {
        const TPicture *source = pictureHandles().value(value.toInt());
        if (source && source != &Picture)
            Picture = *source;
    }
}

Variant TqpPictureView::GetPropValue(const QString &name)
{
    Variant result = TqpView::GetPropValue(name);
    if (!result.isNull())
        return result;
    const QString n = qpUpperCase(name);
    if (n == QLatin1String("CENTER"))
        return (Flags & flPictureCenter) != 0;
    if (n == QLatin1String("KEEPASPECT"))
        return (Flags & flKeepAspect) != 0;
    if (n == QLatin1String("BLOBTYPE"))
        return int(BlobType);
    if (n == QLatin1String("PICTURE")) {
        if (!m_handle) {
            m_handle = nextPictureHandle++;
            pictureHandles().insert(m_handle, &Picture);
        }
        return m_handle;
    }
    return result;
}

Variant TqpPictureView::DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3)
{
    Variant result = TqpView::DoMethod(method, a1, a2, a3);
    if (method == QLatin1String("LOADFROMFILE")) {
        const QString fileName = qpParser->Calc(a1.toString()).toString();
        if (fileName.isEmpty() || !QFileInfo::exists(fileName))
            Picture.Clear();
        else if (!Picture.LoadFromFile(fileName))
            throw EInvalidGraphic(qpLoadStr(qpMsgPictureFile).arg(fileName));
    }
    return result;
}

void TqpPictureView::DefineProperties()
{
    TqpView::DefineProperties();
    AddProperty(QStringLiteral("Picture"), qpdt({qpdtHasEditor}), qpEditorSlot(qpPictureEditor));
    for (const char *flag : {"Stretched", "Center", "KeepAspect"})
        AddProperty(QLatin1String(flag), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("DataField"), qpdt({qpdtString, qpdtHasEditor, qpdtOneObject}), qpEditorSlot(qpFieldEditor));
    AddEnumProperty(QStringLiteral("BlobType"), QStringLiteral("btBMP;btJPG;btICO;btWMF"), {0, 1, 2, 3});
}

void TqpPictureView::GetBlob(TBlobField *field)
{
    // The field's content says what it holds: the registration window stores
    // whatever picture file the operator chose, whatever BlobType says. Bytes
    // of no picture format leave the picture empty, so the object prints its
    // frame and the build goes on.
    const QByteArray bytes = field->IsNull() ? QByteArray() : field->AsBytes();
    Picture.LoadFromData(withoutGraphicHeader(bytes));
}

void TqpPictureView::ShowEditor()
{
    if (qpPictureEditor)
        qpPictureEditor(this);
}

TRect TqpPictureView::GraphicRect() const
{
    const QSize g = Picture.Size();
    TRect r = DrawRect;
    int dx = 0, dy = 0;
    if (Flags & flStretched) {
        if (Flags & flKeepAspect) {
            const double kx = double(Width) / g.width(), ky = double(Height) / g.height();
            if (kx >= ky)
                r.Right = r.Left + qpRound(g.width() * ky);
            else
                r.Bottom = r.Top + qpRound(g.height() * kx);
            if (Flags & flPictureCenter) {
                dx = (DrawRect.Width() - r.Width()) / 2;
                dy = (DrawRect.Height() - r.Height()) / 2;
            }
        }
    } else {
        const int w = qpRound(g.width() * ScaleX), h = qpRound(g.height() * ScaleY);
        r.Right = r.Left + w;
        r.Bottom = r.Top + h;
        if (Flags & flPictureCenter) {
            dx = (DrawRect.Width() - w) / 2;
            dy = (DrawRect.Height() - h) / 2;
        }
    }
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TqpPictureView::drawMetafile(const QRect &target)
{
    const QRect visible = target.intersected(QRect(0, 0, Canvas->device()->width(), Canvas->device()->height()));
    if (visible.isEmpty())
        return;
    const double shrink = std::min(1.0, double(kMaxRenderSide) / std::max(visible.width(), visible.height()));
    QImage image(std::max(1, int(std::ceil(visible.width() * shrink))),
                 std::max(1, int(std::ceil(visible.height() * shrink))), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.scale(shrink, shrink);
        p.translate(-visible.topLeft());
        Picture.Metafile().Play(p, QRectF(target));
    }
    Canvas->DrawImage(visible, image);
}

void TqpPictureView::drawGraphic()
{
    const QRect target = GraphicRect().toQRect();
    if (target.isEmpty())
        return;
    switch (Picture.Kind()) {
    case gkMetafile:
        drawMetafile(target);
        break;
    case gkIcon:
        if (!IsPrinting)
            Canvas->DrawImage(target, Picture.Image());
        break;
    default:
        Canvas->DrawImage(target, IsPrinting ? printable(Picture.Image()) : Picture.Image());
        break;
    }
}

void TqpPictureView::drawPlaceholder()
{
    TCanvas &cv = *Canvas;
    cv.Font = qpDesignerLabelFont();
    cv.OpaqueBackground = false;
    cv.TextRect(DrawRect.toQRect(), Left + 20, Top + 3, qpLoadStr(55228));
    cv.DrawImage(QRect(QPoint(Left + 1, Top + 2), emptyMark().size()), emptyMark());
}

void TqpPictureView::Draw(TCanvas *canvas)
{
    BeginDraw(canvas);
    CalcGaps();
    ShowBackground();
    if (!Picture.IsEmpty())
        drawGraphic();
    else if (DocMode == dmDesigning)
        drawPlaceholder();
    ShowFrame();
    RestoreCoord();
}

void TqpPictureView::LoadFromStream(QIODevice &stream)
{
    TqpView::LoadFromStream(stream);
    const quint8 kind = qpReadByte(stream);
    if (RecordMajor * 10 + RecordMinor > 10)
        BlobType = qpReadByte(stream);
    const qint64 end = qpReadEndPosition(stream);
    Picture.Clear();
    // Unknown kinds are skipped like an empty picture: the end position
    // says where the record goes on.
    const bool known = kind >= gkBitmap && kind <= gkJPEG;
    const QByteArray bytes = known ? stream.read(end - stream.pos()) : QByteArray();
    if (!stream.seek(end))
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    if (known)
        loadGraphic(Picture, TGraphicKind(kind), bytes);
}

void TqpPictureView::SaveToStream(QIODevice &stream)
{
    TqpView::SaveToStream(stream);
    qpWriteByte(stream, Picture.Kind());
    qpWriteByte(stream, BlobType);
    const qint64 placeholder = qpWriteEndPlaceholder(stream);
    const QByteArray &bytes = Picture.Data();
    if (stream.write(bytes) != bytes.size())
        throw EWriteError(stream.errorString());
    qpPatchEndPosition(stream, placeholder);
}

void TqpPictureView::SaveToQP3Stream(QIODevice &stream)
{
    TqpView::SaveToQP3Stream(stream);
    if (!Picture.Data().isEmpty())
        qp3Attr(stream, "Picture.Propdata", qpStreamToString(Picture.Data()));
    qp3DataField(stream, Memo);
    qp3Flag(stream, "Stretched", !(Flags & flStretched), false);
    qp3Flag(stream, "Center", Flags & flPictureCenter, true);
    qp3Flag(stream, "KeepAspectRatio", !(Flags & flKeepAspect), false);
}
