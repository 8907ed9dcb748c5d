#pragma once
// TqpRtfAdvExport: the pages as a Rich Text Format document. Every text
// object becomes a frame at its place on the page with its font, fill and
// frame lines, a rich-text object such a frame with its plain text, and
// every other object (pictures, lines, shapes) a bitmap embedded in a frame
// at its place. Places are taken from the sheet's top-left corner.

#include "export_filter.h"

#include <QByteArray>
#include <QStringList>
#include <vector>

class TqpRtfAdvExport : public TqpExportFilter {
    Q_OBJECT

public:
    explicit TqpRtfAdvExport(QObject *owner = nullptr);

    // Published.
    bool ExportPictures = true;
    // Edited in the option dialog and kept; the document's section margins
    // stay fixed.
    double LeftMargin = 0;
    double TopMargin = 0;
    bool PageBreaks = true;
    // Scale the places and sizes of the table rows; pictures move with
    // ScaleX only.
    double ScaleX = 1;
    double ScaleY = 1;

    int ShowModal() override;
    void OnBeginDoc() override;
    void OnEndDoc() override;
    void OnEndPage() override;
    void OnData(int x, int y, TqpView *view) override;

    // A text as the document holds it: "\", "{" and "}" escaped, line ends
    // as line breaks, characters beyond ASCII as their Windows-1254 byte
    // ("\'fe") or, lacking one, as a Unicode escape.
    static QByteArray EscapeText(const QString &text);

private:
    // A text or rich-text object of the page being exported.
    struct Row {
        bool rich = false;
        int left = 0, top = 0, width = 0, height = 0;
        QString text;
        QString fontName;
        int fontSize = 0, fontStyle = 0;
        quint32 fontColor = 0, fillColor = 0;
        int frameTyp = 0, alignment = 0, gapX = 0;
    };
    // An object drawn on a bitmap.
    struct Picture {
        int left = 0, top = 0, width = 0, height = 0;
        int pixelWidth = 0, pixelHeight = 0;
        QByteArray bmp; // a BMP file
    };

    int fontIndex(const QString &name);
    int colorIndex(quint32 color);
    void writePicture(const Picture &picture);
    void writeRow(const Row &row);
    void writeTable(const QByteArray &start, const QList<QByteArray> &entries);

    QStringList m_fonts;
    QList<quint32> m_colors;
    QByteArray m_body;
    std::vector<Row> m_rows;
    std::vector<Picture> m_pictures;
    bool m_pageWritten = false;
    int m_firstPage = -1; // the prepared page whose paper the document takes
};
