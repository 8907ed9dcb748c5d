#include "db_image.h"

#include "application.h"
#include "db_error.h"
#include "picture_reader.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

namespace {

// What the operator offers as a picture: a picture file's bytes as they are,
// image data as a JPEG, which reports print too.
QByteArray pictureBytes(const QMimeData *mime)
{
    if (!mime)
        return {};
    for (const QUrl &url : mime->urls()) {
        QFile file(url.toLocalFile());
        if (url.isLocalFile() && file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    if (!mime->hasImage())
        return {};
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

} // namespace

TDBImage::TDBImage(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAcceptDrops(true);
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBImage::recordChanged);
}

QByteArray TDBImage::PictureData() const
{
    const TField *f = m_link.Field();
    return f && f->IsBlob() ? static_cast<const TBlobField *>(f)->AsBytes() : QByteArray();
}

void TDBImage::recordChanged()
{
    m_stale = true;
    // A hidden control keeps nothing and reads nothing: a walk over every
    // record (a print) must not decode every photo.
    if (!isVisible()) {
        m_data.clear();
        m_picture = QImage();
        return;
    }
    update();
}

const QImage &TDBImage::Picture()
{
    if (m_stale && isVisible())
        Guarded([this] { decode(); });
    return m_picture;
}

void TDBImage::decode()
{
    m_stale = false;
    const QByteArray data = PictureData();
    // Posting or starting an edit reports the record changed; the photo
    // itself is decoded once per record.
    if (data == m_data && !m_picture.isNull())
        return;
    m_data = data;
    m_picture = ReadPicture(m_data, {}, contentsRect().size());
}

void TDBImage::LoadPicture(const QByteArray &bytes)
{
    // Decoded to the box only: enough to know the bytes are a picture.
    if (ReadPicture(bytes, {}, contentsRect().size().expandedTo(QSize(1, 1))).isNull())
        throw EDatabaseError(QStringLiteral("Okunabilen bir resim değil. Resim değiştirilmedi."));
    m_link.Assign([&](TField &f) { f.setValue(bytes); });
}

void TDBImage::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QImage &picture = Picture();
    if (picture.isNull())
        return;
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setClipRect(area);
    const QSize size = picture.size();
    painter.drawImage(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2,
                      picture);
}

void TDBImage::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // A new box needs the picture fitted to it.
    m_data.clear();
    m_stale = true;
}

void TDBImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    QFrame::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void TDBImage::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)
        || (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier)) {
        Guarded([this] { LoadPicture(pictureBytes(QApplication::clipboard()->mimeData())); });
        return;
    }
    QFrame::keyPressEvent(event);
}

void TDBImage::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() || event->mimeData()->hasImage())
        event->acceptProposedAction();
}

void TDBImage::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    Guarded([&] { LoadPicture(pictureBytes(event->mimeData())); });
}
