#include "report/designer/rich_editor.h"

#include "report/designer/designer_state.h"
#include "report/designer/editor_strings.h"
#include "report/designer/field_chooser.h"
#include "report/expr/expr_globals.h"
#include "report/model/report.h"
#include "report/model/rich_view.h"

#include <canvas.h>
#include <modal_seam.h>

#include <QComboBox>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QPixmap>
#include <QSpinBox>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The basic colours only: the rest of the named ones are system colours
// and "no colour", which text cannot take.
constexpr int kTextColors = 16;

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, bool checkable)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(text);
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TqpRichEditorForm::TqpRichEditorForm(TqpRichView *view, const TqpDataDictionary &dictionary, QWidget *parent)
    : QDialog(parent), Editor(new QTextEdit(this)), m_dictionary(dictionary)
{
    setObjectName(QStringLiteral("TqpRichEditorForm"));
    setWindowTitle(qpLoadStr(qpsRichEditorCaption) + QLatin1String(" - ") + view->Name);
    Work.Assign(view->RichEdit);
    Editor->setObjectName(QStringLiteral("Editor"));
    Editor->setDocument(&Work.Document());

    Bold = toolButton(this, "Bold", qpLoadStr(qpsBold), true);
    Italic = toolButton(this, "Italic", qpLoadStr(qpsItalic), true);
    Underline = toolButton(this, "Underline", qpLoadStr(qpsUnderline), true);
    AlignLeft = toolButton(this, "AlignLeft", qpLoadStr(qpsAlignLeft), true);
    AlignCenter = toolButton(this, "AlignCenter", qpLoadStr(qpsAlignCenter), true);
    AlignRight = toolButton(this, "AlignRight", qpLoadStr(qpsAlignRight), true);
    InsertField = toolButton(this, "InsertField", qpLoadStr(qpsInsertField), false);
    QFont bold = Bold->font();
    bold.setBold(true);
    Bold->setFont(bold);
    FontName = new QFontComboBox(this);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontSize = new QSpinBox(this);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setRange(1, 400);
    FontColor = new QComboBox(this);
    FontColor->setObjectName(QStringLiteral("FontColor"));
    FontColor->setToolTip(qpLoadStr(qpsColor));
    for (int i = 0; i < kTextColors; ++i) {
        QPixmap swatch(12, 12);
        swatch.fill(colorFromRef(qpColors[i]));
        FontColor->addItem(QIcon(swatch), QString::fromLatin1(qpColorNames[i]).mid(2), qpColors[i]);
    }

    auto *bar = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(FontName), static_cast<QWidget *>(FontSize),
                       static_cast<QWidget *>(FontColor)})
        bar->addWidget(w);
    for (QToolButton *b : {Bold, Italic, Underline, AlignLeft, AlignCenter, AlignRight, InsertField})
        bar->addWidget(b);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Editor, 1);
    layout->addWidget(qpOkCancelButtons(this));

    connect(Bold, &QToolButton::toggled, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontWeight(on ? QFont::Bold : QFont::Normal);
        mergeFormat(f);
    });
    connect(Italic, &QToolButton::toggled, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontItalic(on);
        mergeFormat(f);
    });
    connect(Underline, &QToolButton::toggled, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontUnderline(on);
        mergeFormat(f);
    });
    connect(FontName, &QFontComboBox::currentFontChanged, this, [this](const QFont &font) {
        QTextCharFormat f;
        f.setFontFamilies({font.family()});
        mergeFormat(f);
    });
    connect(FontSize, &QSpinBox::valueChanged, this, [this](int size) {
        QTextCharFormat f;
        f.setFontPointSize(size);
        mergeFormat(f);
    });
    connect(FontColor, &QComboBox::currentIndexChanged, this, [this] {
        QTextCharFormat f;
        f.setForeground(colorFromRef(FontColor->currentData().toUInt()));
        mergeFormat(f);
    });
    connect(AlignLeft, &QToolButton::clicked, this, [this] { setAlignment(Qt::AlignLeft); });
    connect(AlignCenter, &QToolButton::clicked, this, [this] { setAlignment(Qt::AlignHCenter); });
    connect(AlignRight, &QToolButton::clicked, this, [this] { setAlignment(Qt::AlignRight); });
    connect(InsertField, &QToolButton::clicked, this, &TqpRichEditorForm::InsertDBField);
    connect(Editor, &QTextEdit::cursorPositionChanged, this, &TqpRichEditorForm::showFormat);
    connect(Editor, &QTextEdit::currentCharFormatChanged, this, &TqpRichEditorForm::showFormat);
    resize(620, 420);
    showFormat();
}

void TqpRichEditorForm::mergeFormat(const QTextCharFormat &format)
{
    if (m_updating)
        return;
    QTextCursor cursor = Editor->textCursor();
    cursor.mergeCharFormat(format);
    Editor->mergeCurrentCharFormat(format);
    Editor->setFocus();
}

void TqpRichEditorForm::setAlignment(Qt::Alignment alignment)
{
    Editor->setAlignment(alignment);
    showFormat();
}

// The buttons and boxes follow the text at the caret, without applying anything.
void TqpRichEditorForm::showFormat()
{
    m_updating = true;
    const QTextCharFormat f = Editor->currentCharFormat();
    Bold->setChecked(f.fontWeight() >= QFont::Bold);
    Italic->setChecked(f.fontItalic());
    Underline->setChecked(f.fontUnderline());
    const QFont font = f.font();
    FontName->setCurrentFont(font);
    FontSize->setValue(qMax(1, qRound(font.pointSizeF() > 0 ? font.pointSizeF() : 10.0)));
    // Text without a colour of its own prints black.
    const QColor color = f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor(Qt::black);
    int colorIndex = -1;
    for (int i = 0; i < FontColor->count() && colorIndex < 0; ++i)
        if (colorFromRef(FontColor->itemData(i).toUInt()) == color)
            colorIndex = i;
    FontColor->setCurrentIndex(colorIndex);
    const Qt::Alignment a = Editor->alignment();
    AlignLeft->setChecked(!(a & (Qt::AlignHCenter | Qt::AlignRight)));
    AlignCenter->setChecked(a & Qt::AlignHCenter);
    AlignRight->setChecked(a & Qt::AlignRight);
    m_updating = false;
}

void TqpRichEditorForm::InsertDBField() { Editor->insertPlainText(qpInsertDBField(m_dictionary, this)); }

bool qpShowRichEditor(TqpRichView *view, TqpDesignerState *state, QWidget *parent)
{
    TqpRichEditorForm form(view, state->Report->Dictionary, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    state->AddUndoAction(acEdit, {view});
    // Through RTF, so the object holds exactly what its record will store.
    view->RichEdit.LoadFromBytes(form.Work.SaveToRtf());
    return true;
}
