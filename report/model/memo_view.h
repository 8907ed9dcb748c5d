#pragma once
// TqpMemoView: lines of text in one font inside the object's rectangle, with
// bracketed expressions replaced by their values while a report is built,
// wrapping, growing with its content, continuing on the next page, rotation,
// justification, repeat suppression and a highlight condition.

#include "report/model/view.h"

// Flag bits of the text object beyond the shared ones.
enum TqpMemoFlag : quint16 {
    flWordWrap = 0x0002,
    flWordBreak = 0x0004,
    flAutoWidth = 0x0008,
    flTextOnly = 0x0010,
    flSuppress = 0x0020,
    flHideZeros = 0x0040,
    flUnderlines = 0x0080,
    flRTLReading = 0x0100,
};

// Alignment bits: horizontal 0 left, 1 right, 2 centre, 3 justified; 4
// rotated upwards; vertical centre and bottom.
enum TqpTextAlign : int {
    qptaRight = 1,
    qptaCenter = 2,
    qptaJustify = 3,
    qptaVertical = 4,
    qptaMiddle = 8,
    qptaDown = 16,
};

struct TqpHighlight {
    quint16 FontStyle = 2; // stored style code: bold
    quint32 FontColor = 0;
    quint32 FillColor = 0xFFFFFF;
    bool operator==(const TqpHighlight &) const = default;
};

class TqpMemoView : public TqpStretcheable {
public:
    TqpMemoView();
    QString ClassName() const override { return QStringLiteral("TqpMemoView"); }

    TqpFont Font;
    QString LastValue;
    bool Preformatted = false;
    int TextHeight = 0;
    bool Streaming = false;
    int LineStep = 0;
    int LinesDrawn = 0;
    bool Exporting = false;
    int Alignment = 0;
    TqpHighlight Highlight;
    QString HighlightCondition;
    int LineSpacing = 2;
    int CharSpacing = 0;

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    Variant DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3) override;
    void DefineProperties() override;

    void SetFont(const TqpFont &font) { Font = font; }
    // Transparent text in the object's font, scaled for the screen.
    void AssignFont(TCanvas *canvas);
    void ExpandMemoVariables();
    void WrapMemo();
    void ShowMemo();
    void ShowUnderLines();
    int CalcWidth(const QStringList &lines);

    void Draw(TCanvas *canvas) override;
    void StreamOut(QIODevice &stream) override;
    void ExportData() override;
    int CalcHeight() override;
    int MinHeight() override;
    int LostSpace() override;
    void ShowEditor() override;
    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void SaveToQP3Stream(QIODevice &stream) override;

private:
    // Pixel height of the font at 96 pixels per inch (negative: character height).
    int screenFontHeight() const;
    TFont canvasFont(int height, int orientation) const;
    void prepareMeasuring(bool rotated);
    void applyHighlight();
    void showHorizontal(const TRect &clip);
    void showRotated();
    int frameBitsOfLine(qsizetype index) const;
};
