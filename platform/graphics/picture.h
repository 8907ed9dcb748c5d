#pragma once
// The picture holder of report objects: at most one graphic, a bitmap, a
// metafile, an icon or a JPEG image. Every graphic keeps the bytes of its own
// file form as it was loaded (a BMP, EMF/WMF, ICO or JPEG file), so saving it
// gives back the same bytes; bitmaps, icons and JPEG images are decoded once
// with Qt's image readers (JPEG through libjpeg-turbo), metafiles are played
// by TMetafile.

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

    void Clear() { *this = TPicture(); }
    // A graphic of that kind from its file form; false, leaving the picture
    // empty, when the bytes do not hold one (wrong format, truncated, or a
    // size beyond what the image readers allocate).
    bool LoadFromData(TGraphicKind kind, const QByteArray &bytes);
    // The kind is chosen by the file's extension (bmp, jpg/jpeg, ico,
    // emf/wmf); a picture of another format Qt reads (png, gif...) becomes a
    // bitmap. False, leaving the picture empty, when the file cannot be read
    // or holds no such graphic.
    bool LoadFromFile(const QString &fileName);
    // A bitmap made in code, stored as a BMP file.
    void SetBitmap(const QImage &image);

private:
    TGraphicKind m_kind = gkNone;
    QByteArray m_data;
    QImage m_image;
    TMetafile m_metafile;
};
