#pragma once
// Template pages and the page list of a report. A page is either a report
// page with paper, margins and page columns, or a dialog page that describes
// a small window shown before the report is built; both keep the dialog
// fields. The page list reads and writes the pages section of a template.

#include "report/model/view.h"
#include "report/output/printer.h"

#include <QIODevice>

class TqpReport;

enum TqpPageType : quint8 { ptReport = 0, ptDialog = 1 };
enum TqpDialogBorder : quint8 { bsSizeable = 2, bsDialog = 3 };
enum TqpDialogPosition : quint8 { poDesigned = 0, poScreenCenter = 4 };

// The paper source that stands for "the printer's default".
constexpr quint32 qpDefaultBin = 0xFFFF;
// The platform's button-face colour: the default of a dialog window.
constexpr quint32 clBtnFace = 0x8000000F;

class TqpPage : public TqpPageBase {
public:
    TqpPage(int paperSize, int paperWidth, int paperHeight, int paperBin, TPrinterOrientation orientation);
    ~TqpPage() override;
    TqpPage(const TqpPage &) = delete;
    TqpPage &operator=(const TqpPage &) = delete;

    int PaperSize = 0;
    int PaperWidth = 0, PaperHeight = 0; // tenths of a millimetre
    TRect Margins;                       // report units; 0 = the unprintable margin of that side
    quint8 Orientation = poPortrait;
    quint32 PaperBin = qpDefaultBin;
    bool PrintToPrevPage = false;
    bool UseMargins = true;
    TqpPrnInfo PrnInfo;
    int ColCount = 0;
    int ColWidth = 0;
    int ColGap = 0;
    quint8 PageType = ptReport;
    QList<TqpView *> Items; // owned; drawing order and file order
    QString Name;
    quint8 BorderStyle = bsDialog;
    QString Caption = QStringLiteral("Form");
    quint32 Color = clBtnFace;
    int Left = 220, Top = 120, Width = 380, Height = 300; // dialog window, screen pixels
    quint8 Position = poScreenCenter;
    QStringList Script;
    bool Visible = true;

    void ChangePaper(int paperSize, int paperWidth, int paperHeight, int paperBin, TPrinterOrientation orientation);
    void Clear();
    void Delete(int index);
    int FindObjectByID(quint32 id) const;
    // "Page" and the first number no page of CurReport carries.
    void CreateUniqueName();

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    void DefineProperties() override;

    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);

    // Page limits in report units, from the margins and the printable area
    // (page formation subtracts its page footer from the bottom one).
    int TopMargin() const;
    int BottomMargin() const;
    const QList<TqpView *> &Objects() const override { return Items; }
    int LeftMargin() const override;
    int RightMargin() const override;
    int SheetWidth() const override { return PrnInfo.SheetWidth; }
    int SheetHeight() const override { return PrnInfo.SheetHeight; }

private:
    void ScriptEditor();
};

class TqpPages {
public:
    explicit TqpPages(TqpReport *parent) : Parent(parent) {}
    ~TqpPages() { Clear(); }
    TqpPages(const TqpPages &) = delete;
    TqpPages &operator=(const TqpPages &) = delete;

    TqpReport *const Parent;

    int GetCount() const { return int(m_pages.size()); }
    TqpPage *GetPages(int index) const { return m_pages.at(index); }
    TqpPage *Add();
    void Delete(int index);
    void Move(int from, int to);
    void Clear();
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    void RefreshObjects();

private:
    void readObjectEntry(QIODevice &stream, quint8 code);
    QList<TqpPage *> m_pages;
};

// The pages section can hold at most this many pages: objects name their page in one byte.
constexpr int qpMaxPages = 256;
