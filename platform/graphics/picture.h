#pragma once
// The picture holder of report objects: at most one graphic, a bitmap, a
// metafile, an icon or a JPEG image. Every graphic keeps the bytes of its own
// file form as it was loaded, so saving it gives back the same bytes. What
// the bytes hold is told by their content, never by a file name or by what a
// caller expected: JPEG, PNG, BMP, GIF and ICO files are decoded once with
// Qt's image readers (JPEG through libjpeg-turbo), enhanced and placeable
// Windows metafiles are drawn by TMetafile. PNG and GIF files count as
// bitmaps, keeping their own bytes.

#include "metafile.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The graphic kinds, numbered as template records store them.
enum TGraphicKind : quint8 { gkNone = 0, gkBitmap = 1, gkMetafile = 2, gkIcon = 3, gkJPEG = 4 };

class TPicture {
public:
    TGraphicKind Kind() const { return m_kind; }
    bool IsEmpty() const { return m_kind == gkNone; }
    // Width and height of the graphic in pixels.
    QSize Size() const;
    // The graphic in its own file form.
    const QByteArray &Data() const { return m_data; }
    // A decoded bitmap, icon or JPEG image; null for a metafile.
    const QImage &Image() const { return m_image; }
    const TMetafile &Metafile() const { return m_metafile; }
    // The graphic as an image: the decoded picture, or the metafile drawn
    // over white at its own size, scaled down to at most 2048 pixels a side
    // (null when it cannot be drawn).
    QImage ToImage() const;

    void Clear() { *this = TPicture(); }
    // The graphic the bytes hold, its kind told by their content; false,
    // leaving the picture empty, for bytes of no format named above, a
    // truncated or damaged file, or a size beyond what the readers allocate.
    bool LoadFromData(const QByteArray &bytes);
    // As above for a record that names its kind (a template or a prepared
    // page): the content is decoded as it is, the recorded kind is kept so
    // that the record is written back as it came. A metafile record must
    // hold a metafile and a raster record a raster picture.
    bool LoadFromData(TGraphicKind kind, const QByteArray &bytes);
    // The file's bytes, as LoadFromData; the file's name says nothing.
    bool LoadFromFile(const QString &fileName);
    // A bitmap made in code, stored as a BMP file.
    void SetBitmap(const QImage &image);

private:
    TGraphicKind m_kind = gkNone;
    QByteArray m_data;
    QImage m_image;
    TMetafile m_metafile;
};
