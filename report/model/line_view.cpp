#include "report/model/line_view.h"

#include "report/model/qp3_writer.h"

#include <cmath>

TqpLineView::TqpLineView()
{
    Kind = vkLine;
    FrameTyp = qpftLeft;
    FillColor = 0xFFFFFF;
    BaseName = QStringLiteral("Line");
}

void TqpLineView::DefineProperties()
{
    TqpStretcheable::DefineProperties();
    AddProperty(QStringLiteral("Stretched"), qpdt({qpdtBoolean}));
}

void TqpLineView::Draw(TCanvas *canvas)
{
    BeginDraw(canvas);
    if (Height < Width) {
        Height = 0;
        FrameTyp = qpftTop;
    } else {
        Width = 0;
        FrameTyp = qpftLeft;
    }
    CalcGaps();
    ShowFrame();
    RestoreCoord();
}

TRect TqpLineView::GetClipRgn(TqpRestrictionType type)
{
    const double w = FrameWidth;
    const bool dbl = FrameStyle == psDouble;
    const int b = int(std::trunc(w * (dbl ? 1.5 : 0.5)));
    const int c = int(dbl ? std::trunc(std::trunc((w - 1) / 2) + w) : std::trunc((w - 1) / 2));
    TRect r{Left, Top, Left + Width + 1, Top + Height + 1};
    if (FrameTyp == qpftLeft) {
        r.Left -= b;
        r.Right += c;
    } else {
        r.Top -= b;
        r.Bottom += c;
    }
    if (type == rtExtended)
        r = {r.Left - 10, r.Top - 10, r.Right + 10, r.Bottom + 10};
    return r;
}

void TqpLineView::SaveToQP3Stream(QIODevice &stream)
{
    TqpStretcheable::SaveToQP3Stream(stream);
    qp3Flag(stream, "Stretched", !(Flags & flStretched), false);
}
