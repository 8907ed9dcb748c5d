#pragma once
// TqpOLEExcelExport: the prepared pages as one Excel worksheet. Nothing is
// written while the pages are replayed: the filter collects the objects and
// their edges (TqpExcelLayout), and at the end of the document builds the
// sheet through TQpExcel in one pass: column widths and row heights from the
// edges, each text object in its anchor cell (merged over the cells it
// covers) with its font, alignment, frame lines and fill, every other object
// as a picture at its cell, manual page breaks between the pages. Printed
// numbers and dates stay numbers and dates, so the sheet can compute.

#include "excel_automation.h"
#include "excel_layout.h"
#include "export_filter.h"
#include "report/model/stream_utils.h"

#include <QImage>
#include <QVariant>
#include <vector>

// Message ids of the Excel export.
enum qpExcelMessageId : int {
    qpMsgExcelDescription = 54840,
    qpMsgExcelObjects = 54841,
    qpMsgExcelRemained = 54842,
    qpMsgExcelWait = 54843,
    qpMsgExcelRows = 54865,
    qpMsgExcelColumns = 54866,
    qpMsgExcelTooLarge = 54867, // %1 columns, %2 rows
};

class TqpOLEExcelExport : public TqpExportFilter {
    Q_OBJECT

public:
    explicit TqpOLEExcelExport(QObject *owner = nullptr);
    ~TqpOLEExcelExport() override;

    // Published.
    bool CellsAlign = true;
    bool CellsBorders = true;
    bool CellsFillColor = true;
    bool CellsFontColor = true;
    bool CellsFontName = true;
    bool CellsFontSize = true;
    bool CellsFontStyle = true;
    bool CellsMerged = true;
    bool CellsWrapWords = true;
    bool ExportPictures = true;
    double LeftMargin = 0;
    double TopMargin = 0;
    bool OpenExcelAfterExport = false;
    bool PageBreaks = true;
    // Scales of column widths and row heights.
    double ScaleX = 1.0;
    double ScaleY = 1.0;

    int ShowModal() override;
    void OnBeginDoc() override;
    void OnBeginPage() override;
    void OnData(int x, int y, TqpView *view) override;
    void OnEndPage() override;
    void OnEndDoc() override;

    // An object as the sheet needs it, its top in sheet units.
    struct Item {
        int Left = 0, Top = 0, Width = 0, Height = 0;
        bool IsText = false;
        QString Text;
        TqpFont Font;
        int Alignment = 0;
        int FrameTyp = 0;
        quint32 FillColor = 0;
        QImage Picture;
    };
    // What the last export collected, for looking at after it: the objects
    // as printed, and their cells in the order they were placed.
    const TqpExcelLayout &Layout() const { return m_layout; }
    const std::vector<Item> &Items() const { return m_items; }
    const std::vector<TObjPos> &Cells() const { return m_cells; }

    // The value a text object's cell gets: a number where the text is a
    // printed number (the format code `numberFormat` shows it as printed),
    // a date where it is a printed date, the text otherwise.
    static QVariant CellValue(const Item &item, QString &numberFormat);

private:
    void buildSheet();
    void placeText(const Item &item, const TObjPos &pos, size_t index);
    void progress(int messageId, const QString &detail);
    void afterExport(const QString &fileName);

    TQpExcel m_excel;
    TqpExcelLayout m_layout;
    std::vector<Item> m_items;
    std::vector<TObjPos> m_cells;
    int m_lastPage = -1;
    // The handler the owner set, fired after the filter's own.
    std::function<void(const QString &)> m_ownerAfterExport;
    bool m_chained = false;
};
