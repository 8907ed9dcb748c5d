#pragma once
// TqpRichView: a block of formatted text (RTF) whose bracketed expressions
// are replaced by their values while a report is built, keeping the
// formatting of the text they replace; it grows with its content and
// continues on the next page where the last whole line that fitted ended.
// It is a registered class (type code 10) rather than a built-in kind.

#include "report/model/view.h"

#include <rich_edit.h>

// Flag bit of the rich-text object beyond the shared ones.
enum TqpRichFlag : quint16 { flRichTextOnly = 0x0010 };

class TqpRichView : public TqpStretcheable {
public:
    TqpRichView();
    QString ClassName() const override { return QStringLiteral("TqpRichView"); }

    int CharFrom = 0;          // characters printed by earlier parts
    int CharTo = 0;            // where the last formatted part ended
    int CharStart = 0;         // where formatting starts
    bool SavingShared = false; // the record stores SRichEdit's content
    TRichEdit RichEdit;        // the object's own content

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    void DefineProperties() override;

    // Replaces every bracketed expression of the edit's text by its value.
    void GetRichData(TRichEdit &edit);
    // Least height at which the text from CharStart on fits, plus the gaps.
    int DoCalcHeight();
    // Formats the part from CharStart that fits: drawn from RichEdit onto
    // the canvas, or measured in SRichEdit; CharTo becomes its end.
    void ShowRich(bool render);

    void Draw(TCanvas *canvas) override;
    void StreamOut(QIODevice &stream) override;
    int CalcHeight() override;
    int MinHeight() override { return 0; }
    int LostSpace() override;
    void ShowEditor() override;
    // The bound field's content: rich text when it is RTF, else plain text.
    void GetBlob(TBlobField *field) override;
    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void SaveToQP3Stream(QIODevice &stream) override;

private:
    // SRichEdit gets the object's content, expanded unless text-only.
    void prepareShared();
    void renderOnCanvas(const QSize &designed);

    QSize m_designedPage; // the content area as designed, for stretch-drawing
};

// The working copy every rich-text object is measured and written through.
extern TRichEdit *SRichEdit;
// The rich-text editor the designer installs; the object only calls it.
extern TqpPropEditor qpRichEditor;

// Registers the class with the object registry and creates SRichEdit;
// idempotent. qpDoneRichView frees SRichEdit.
void qpInitRichView();
void qpDoneRichView();
