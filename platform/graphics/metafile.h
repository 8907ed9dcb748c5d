#pragma once
// A Windows metafile (enhanced, or a placeable Windows metafile) kept as the
// bytes it came in, so that saving gives back exactly what was loaded, with a
// small player of our own. The player draws the bitmap records (which is what
// a logo stored as a metafile usually is) and follows the mapping records
// that place them; the other drawing records are skipped. Every size and
// offset in the bytes is checked against the record it sits in, so hostile
// bytes end the playback early and never read outside the data.

#include <QByteArray>
#include <QRectF>
#include <QSize>

class QPainter;

class TMetafile {
public:
    enum Format { mfNone, mfEnhanced, mfPlaceable };

    // Recognises the header of either format; false, leaving the metafile
    // empty, for anything else or for a picture size outside 1..32767 pixels.
    bool Load(const QByteArray &bytes);
    void Clear() { *this = TMetafile(); }

    bool IsEmpty() const { return m_format == mfNone; }
    Format format() const { return m_format; }
    const QByteArray &Data() const { return m_data; }
    // The picture's size in pixels at 96 per inch.
    QSize Size() const { return m_size; }

    // Plays the records with the metafile's frame mapped onto `target`,
    // clipped to it. Returns how many records drew something; when none did,
    // the frame is outlined in grey so that the picture's place still shows.
    int Play(QPainter &painter, const QRectF &target) const;

private:
    QByteArray m_data;
    Format m_format = mfNone;
    QSize m_size;
    QRectF m_frame; // what maps onto the target, in the records' device space
};
