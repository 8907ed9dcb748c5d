#pragma once
// TqpBandView: a strip of the page that says what it prints (title, page
// header, master data, group header...), which data set drives it and how it
// behaves at page breaks. Page formation builds a run-time band from each; the
// band object's printing-time properties reach that band through OwnerBand.
// The band type lives in FrameTyp, the data source of a data band or the
// condition of a group header in FormatStr.

#include "report/model/view.h"

enum TqpBandType : quint16 {
    btReportTitle,
    btReportSummary,
    btPageHeader,
    btPageFooter,
    btMasterHeader,
    btMasterData,
    btMasterFooter,
    btDetailHeader,
    btDetailData,
    btDetailFooter,
    btSubDetailHeader,
    btSubDetailData,
    btSubDetailFooter,
    btOverlay,
    btColumnHeader,
    btColumnFooter,
    btGroupHeader,
    btGroupFooter,
    btCrossHeader,
    btCrossData,
    btCrossFooter,
    btChild,
    btNone,
};
constexpr int qpBandTypeCount = btNone + 1;

// Band flag bits beyond the shared stretched bit; page formation applies them.
enum TqpBandFlag : quint16 {
    flFormNewPage = 0x02,
    flPrintIfSubsetEmpty = 0x04,
    flBreaked = 0x08,
    flOnFirstPage = 0x10,
    flOnLastPage = 0x20,
    flRepeatHeader = 0x40,
    flPrintChildIfInvisible = 0x80,
};

// The names the designer shows for the band types, in type order.
const QStringList &qpBandNames();

class TqpBandView : public TqpView {
public:
    TqpBandView();
    QString ClassName() const override { return QStringLiteral("TqpBandView"); }

    QString ChildBand; // name of the band object printed right after this one
    QString Master;    // of a group header: name of the data band it groups
    int Columns = 1;
    int ColumnWidth = 200;
    int ColumnGap = 20;
    int NewColumnAfter = 1;

    int GetBandType() const { return FrameTyp; }
    void SetBandType(int type) { FrameTyp = quint16(type); }

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    Variant DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3) override;
    // The list depends on the band type; enumerations of other bands are
    // filled only in the designer.
    void DefineProperties() override;
    // The designer's look: laid across the sheet, hatched, outlined, column
    // outlines, and the type's name on a tab or inside the strip.
    void Draw(TCanvas *canvas) override;
    // The strip, edges included.
    TRect GetClipRgn(TqpRestrictionType type) override;
    // The title tab that belongs to the hit region with band titles on;
    // empty with them off.
    TRect TitleRect();
    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void SaveToQP3Stream(QIODevice &stream) override;

private:
    // The run-time band while printing; none in the designer.
    TqpBandBase *runBand() const;
    bool isCross() const;
    int titleTabLength(TCanvas &canvas);
    void drawHatch();
    void drawColumns();
    void drawTitle();
};
