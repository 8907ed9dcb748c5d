#include "report/model/subreport_view.h"

#include "report/model/qp3_writer.h"

TqpSubReportView::TqpSubReportView()
{
    Kind = vkSubReport;
    BaseName = QStringLiteral("SubReport");
}

void TqpSubReportView::Draw(TCanvas *canvas)
{
    FrameWidth = 1;
    BeginDraw(canvas);
    CalcGaps();
    TCanvas &cv = *Canvas;
    cv.Brush = TBrush{0xFFFFFF, bsSolid};
    cv.Pen = TPen{0, 1, psSolid};
    cv.Rectangle(Left, Top, Left + Width + 1, Top + Height + 1);
    cv.Font = qpDesignerLabelFont();
    cv.OpaqueBackground = false;
    cv.TextRect(DrawRect.toQRect(), Left + 2, Top + 2, Name);
    RestoreCoord();
}

void TqpSubReportView::LoadFromStream(QIODevice &stream)
{
    TqpView::LoadFromStream(stream);
    SubPage = qpReadInteger(stream);
}

void TqpSubReportView::SaveToStream(QIODevice &stream)
{
    TqpView::SaveToStream(stream);
    qpWriteInteger(stream, SubPage);
}

void TqpSubReportView::SaveToQP3Stream(QIODevice &stream)
{
    TqpView::SaveToQP3Stream(stream);
    qp3Attr(stream, "Page", QLatin1String("Page") + QString::number(SubPage + 1));
}
