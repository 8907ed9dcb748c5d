#pragma once
// TqpTextExport: each page laid out on a character grid. Text lines are
// collected per grid line in the line table (the table has 201 lines and
// grows for pages that need more), then written with frames drawn in line
// characters, plain ("|", "-", "+") or the OEM code page's box drawing
// characters, and a form feed after each page.

#include "export_filter.h"

class TqpTextExport : public TqpExportFilter {
    Q_OBJECT

public:
    explicit TqpTextExport(QObject *owner = nullptr);

    // One character column is 6.5 / ScaleX report units wide, one text line
    // 14 / ScaleY units high.
    double ScaleX = 1;
    double ScaleY = 1;
    bool KillEmptyLines = true;
    bool ConvertToOEM = false;
    bool ExportFrames = false;
    bool UsePseudographic = false;
    bool PageBreaks = true;

    int ShowModal() override;
    void OnBeginPage() override;
    void OnEndPage() override;
    void OnText(const TRect &drawRect, int x, int y, const QString &text, int frameTyp, TqpView *view) override;
};

// Line codes of the grid: direction bits (1 up, 2 right, 4 down, 8 left)
// stored as characters of those values while a page is laid out.
enum TqpLineCode : ushort {
    lcVertical = 5,
    lcHorizontal = 10,
    lcTopLeft = 6,
    lcTopRight = 12,
    lcBottomLeft = 3,
    lcBottomRight = 9,
};
