#pragma once
// TqpLineView: a horizontal or vertical rule, whichever its proportions say,
// drawn with the frame attributes.

#include "report/model/view.h"

class TqpLineView : public TqpStretcheable {
public:
    TqpLineView();
    QString ClassName() const override { return QStringLiteral("TqpLineView"); }

    void DefineProperties() override;
    // Flattens the object to its line for good: a wider than high object
    // becomes a top line of height 0, any other a left line of width 0.
    void Draw(TCanvas *canvas) override;
    TRect GetClipRgn(TqpRestrictionType type) override;
    void SaveToQP3Stream(QIODevice &stream) override;
    int CalcHeight() override { return Height; }
    int MinHeight() override { return 1; }
    int LostSpace() override { return 0; }
};
