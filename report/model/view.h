#pragma once
// TqpView: the common part of every printable report object (position and
// size, frame, fill, display format, text lines, script, visibility,
// designer restrictions, band alignment), its drawing geometry, its stored
// record, and the operations page formation, prepared pages and export
// filters call on every object. TqpStretcheable adds what objects whose
// height follows their content answer to page formation.

#include "report/model/object.h"
#include "report/model/report_links.h"

#include <QIODevice>
#include <functional>

// Type codes as stored in template and prepared files.
enum TqpViewKind : quint8 { vkText = 0, vkPicture = 1, vkBand = 2, vkSubReport = 3, vkLine = 4, vkAddIn = 10 };
enum TqpSaveMode : quint8 { smQPF = 0, smQPP = 1 };
enum TqpBandAlign : quint8 { baNone, baLeft, baRight, baCenter, baWidth, baBottom, baTop, baRest };
// Frame lines (FrameTyp bits).
enum TqpFrameLine : quint16 { qpftRight = 0x01, qpftBottom = 0x02, qpftLeft = 0x04, qpftTop = 0x08 };
// FrameStyle values 0-4 are the canvas pen styles; this one draws two lines.
constexpr quint16 psDouble = 5;
enum TqpRestrictionType { rtNormal, rtExtended };
// Designer restrictions; the byte travels with the object.
enum TqpRestriction : quint8 {
    rsNoText = 0x01,
    rsNoScript = 0x02,
    rsNoContents = 0x04,
    rsNoModify = 0x08,
    rsNoResize = 0x10,
    rsNoMove = 0x20,
    rsNoDelete = 0x40,
};
// Flag bits every kind shares.
enum TqpViewFlag : quint16 { flStretched = 0x0001, flOnHook = 0x8000 };

class TqpDataset; // report data sets live with the expression layer
class TDataSet;
class TBlobField; // data-bound content comes from the data layer's blob fields

class TqpView : public TqpObject {
public:
    TqpView();
    ~TqpView() override = default;
    TqpView(const TqpView &) = delete;
    TqpView &operator=(const TqpView &) = delete;

    // The name registered classes are stored and created by.
    virtual QString ClassName() const = 0;

    QString BaseName = QStringLiteral("View");
    TCanvas *Canvas = nullptr;
    TRect DrawRect;
    QStringList ExpandedMemo;
    TDataSet *SourceDataSet = nullptr; // bound before formation when the whole text is one data field
    QString SourceField;
    quint8 SaveMode = smQPF;
    QString Name;
    quint8 Kind = vkAddIn;
    quint8 RecordMajor = 0, RecordMinor = 0;
    quint32 ID = 0;
    quint8 Selected = 0;
    double ScaleX = 1.0, ScaleY = 1.0;
    int OffsetX = 0, OffsetY = 0;
    bool IsPrinting = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    quint16 Flags = flStretched;
    quint16 FrameTyp = 0;
    float FrameWidth = 1.0f;
    quint32 FrameColor = 0;
    quint16 FrameStyle = 0;
    quint32 FillColor = clNone;
    // Display format: decimal separator (bits 0-7), decimals (8-15), variant
    // (16-23), category (24-27: text, number, date, time, boolean).
    quint32 Format;
    QString FormatStr;
    bool Visible = true;
    int GapX = 2, GapY = 1;
    quint8 Restrictions = 0;
    QString Tag;
    QStringList Memo;
    QStringList Script;
    quint8 BandAlign = baNone;
    TqpBandBase *OwnerBand = nullptr;
    TqpPageBase *OwnerPage = nullptr;

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    Variant DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3) override;
    void DefineProperties() override;

    virtual void ShowBackground();
    virtual void ShowFrame();
    // Loads the object's content from a blob field of a data set.
    virtual void GetBlob(TBlobField *field) {}
    virtual void OnHook(TqpView *view) {}
    virtual void Loaded() {}
    virtual void CalcGaps();
    virtual void RestoreCoord();
    virtual void Draw(TCanvas *canvas) = 0;
    virtual void StreamOut(QIODevice &stream);
    virtual void ExportData();
    virtual void LoadFromStream(QIODevice &stream);
    virtual void SaveToStream(QIODevice &stream);
    virtual void Resized() {}
    virtual TRect GetClipRgn(TqpRestrictionType type);
    virtual void ShowEditor() {}
    // The object's element of the QP3 XML document, without its closing
    // "/>"; a kind the successor format lacks writes nothing.
    virtual void SaveToQP3Stream(QIODevice &stream);

    // Copies name, kind and selection mark, then every stored field through
    // a template record written and read back.
    void Assign(TqpView *source);
    // Stores the canvas, makes the object CurView and applies its band
    // alignment against the page limits.
    void BeginDraw(TCanvas *canvas);
    // Replaces each bracketed expression by the report's text for it.
    void ExpandVariables(QString &text);
    // The same walk over the bracketed expressions, with `place` deciding what
    // stands in the text for each value (it gets the 1-based positions of the
    // brackets) so that a formatted copy of the text can follow along.
    static void ExpandBracketed(QString &text,
                                const std::function<QString(int open, int close, const QString &value)> &place);
    // BaseName followed by the first number no object of the report carries.
    void CreateUniqueName();
    void SetBounds(int left, int top, int width, int height);
    // The band object of the designer's page containing the top-left corner.
    TqpView *ParentBand() const;

    // The type code (and class name) of a prepared-page entry, then the
    // record; prepared pages write their objects back with it.
    void WriteEntry(QIODevice &stream);

protected:
    // Runs the object's compiled script.
    void RunScript();

private:
    void applyBandAlign(TqpPageBase *page);
    TqpView *alignNeighbour(TqpPageBase *page, quint8 align, bool leftSide) const;
    void drawFrameLine(int x1, int y1, int x2, int y2, bool vertical);

    struct Saved {
        int Left, Top, Width, Height;
        float FrameWidth;
        int GapX, GapY;
    } m_saved{};
    // Right and bottom of the scaled rectangle before the frame reduces it.
    int m_outerRight = 0, m_outerBottom = 0;
};

enum TqpDrawMode : quint8 { drAll = 0, drAfterCalcHeight = 1, drPart = 2 };

class TqpStretcheable : public TqpView {
public:
    quint8 DrawMode = drAll;

    Variant DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3) override;
    // Height the content needs; smallest height worth starting on a page;
    // empty height under the last whole line.
    virtual int CalcHeight() = 0;
    virtual int MinHeight() = 0;
    virtual int LostSpace() = 0;
};

// Arial 8 in black, the font of the designer's labels on objects.
TFont qpDesignerLabelFont();

// The frame width as stored: whole widths up to 10 as they are, others in thousandths.
qint32 qpFrameWidthCode(float width);
float qpFrameWidthFromCode(qint32 code);
