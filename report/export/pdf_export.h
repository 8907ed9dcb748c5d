#pragma once
// TqpPdfExport: each prepared page drawn through the canvas, as the printer
// draws it, onto a PDF page of its own paper size and orientation. Text
// stays text (it can be searched and copied) and fonts are embedded.

#include "export_filter.h"

#include <memory>

class QPdfWriter;
class TCanvas;

class TqpPdfExport : public TqpExportFilter {
    Q_OBJECT

public:
    explicit TqpPdfExport(QObject *owner = nullptr);
    ~TqpPdfExport() override;

    void OnBeginDoc() override;
    void OnEndDoc() override;
    void OnEndPage() override;
    // Pages are drawn whole, as on paper.
    bool ReplaysObjects() const override { return false; }

private:
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<TCanvas> m_canvas;
};
