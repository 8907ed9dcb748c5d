#include "report/designer/memo_editor.h"

#include "report/designer/designer_state.h"
#include "report/designer/editor_strings.h"
#include "report/designer/expression_form.h"
#include "report/designer/field_chooser.h"
#include "report/expr/expr_globals.h"
#include "report/expr/interpreter.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

#include <modal_seam.h>
#include <syntax_memo.h>

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

enum { fcText, fcNumber, fcDate, fcTime, fcBoolean, kCustomVariant = 4 };

// A value of the category to show each variant by, formatted as it would print.
Variant sampleValue(int category)
{
    switch (category) {
    case fcNumber: return Variant(1234.5);
    case fcDate: return Variant::fromDateTime(45000.0);         // 15.03.2023
    case fcTime: return Variant::fromDateTime(45000.0 + 0.5625); // 13:30
    default: return Variant(true);
    }
}

bool isBlankBlock(const QStringList &lines)
{
    const QString joined = lines.join(QLatin1Char(' ')).simplified();
    return joined.compare(QLatin1String("begin end"), Qt::CaseInsensitive) == 0 || joined.isEmpty();
}

} // namespace

QStringList qpEmptyScript() { return {QStringLiteral("begin"), QStringLiteral("  "), QStringLiteral("end")}; }

QPoint qpScriptErrorPos(const QString &error)
{
    const int slash = error.indexOf(QLatin1Char('/'));
    const int colon = error.indexOf(QLatin1Char(':'), slash + 1);
    if (slash < 0 || colon < 0)
        return QPoint(1, 1);
    bool lineOk = false, columnOk = false;
    const int line = error.mid(5, slash - 5).trimmed().toInt(&lineOk);
    const int column = error.mid(slash + 1, colon - slash - 1).trimmed().toInt(&columnOk);
    if (!lineOk || !columnOk)
        return QPoint(1, 1);
    return QPoint(qMax(1, column), qMax(1, line));
}

TqpMemoEditorForm::TqpMemoEditorForm(TqpView *view, const TqpDataDictionary &dictionary, QWidget *parent)
    : QDialog(parent), Pages(new QTabWidget(this)), MemoText(new QPlainTextEdit), ScriptMemo(new TqpSyntaxMemo),
      m_view(view), m_dictionary(dictionary)
{
    setObjectName(QStringLiteral("TqpMemoEditorForm"));
    setWindowTitle(qpLoadStr(qpsMemoEditorCaption) + QLatin1String(" - ") + view->Name);
    MemoText->setObjectName(QStringLiteral("MemoText"));
    ScriptMemo->setObjectName(QStringLiteral("ScriptMemo"));

    auto *textPage = new QWidget;
    auto *tl = new QVBoxLayout(textPage);
    auto *buttons = new QHBoxLayout;
    const struct {
        int caption;
        const char *name;
        void (TqpMemoEditorForm::*slot)();
    } inserts[] = {{qpsInsertField, "InsertFieldButton", &TqpMemoEditorForm::InsertField},
                   {qpsInsertVariable, "InsertVariableButton", &TqpMemoEditorForm::InsertVariable},
                   {qpsInsertExpression, "InsertExpressionButton", &TqpMemoEditorForm::InsertExpression}};
    for (const auto &insert : inserts) {
        auto *button = new QPushButton(qpLoadStr(insert.caption), textPage);
        button->setObjectName(QLatin1String(insert.name));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, insert.slot);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    tl->addLayout(buttons);
    tl->addWidget(MemoText, 1);
    QFont fixed(QStringLiteral("Courier New"), 10);
    fixed.setStyleHint(QFont::TypeWriter);
    MemoText->setFont(fixed);
    MemoText->setPlainText(view->Memo.join(QLatin1Char('\n')));
    if (dynamic_cast<TqpMemoView *>(view))
        buildFormatBox(textPage);
    Pages->addTab(textPage, qpLoadStr(qpsTextTab));

    ScriptMemo->SetSyntaxType(stPascal);
    ScriptMemo->setFont(fixed);
    ScriptMemo->SetText(view->Script.isEmpty() ? qpEmptyScript() : view->Script);
    Pages->addTab(ScriptMemo, qpLoadStr(qpsScriptTab));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Pages, 1);
    layout->addWidget(qpOkCancelButtons(this));
    resize(600, 440);
    MemoText->setFocus();
}

void TqpMemoEditorForm::buildFormatBox(QWidget *page)
{
    auto *form = new QFormLayout;
    FormatCategory = new QComboBox(page);
    FormatCategory->setObjectName(QStringLiteral("FormatCategory"));
    for (int i = 0; i < 5; ++i)
        FormatCategory->addItem(qpLoadStr(qpsFormatCategory0 + i));
    FormatVariant = new QComboBox(page);
    FormatVariant->setObjectName(QStringLiteral("FormatVariant"));
    Decimals = new QSpinBox(page);
    Decimals->setObjectName(QStringLiteral("Decimals"));
    Decimals->setRange(0, 18);
    Separator = new QLineEdit(page);
    Separator->setObjectName(QStringLiteral("Separator"));
    Separator->setMaxLength(1);
    CustomFormat = new QLineEdit(page);
    CustomFormat->setObjectName(QStringLiteral("CustomFormat"));
    auto *row = new QHBoxLayout;
    row->addWidget(FormatCategory);
    row->addWidget(FormatVariant, 1);
    form->addRow(qpLoadStr(qpsFormatLabel), row);
    auto *numbers = new QHBoxLayout;
    numbers->addWidget(Decimals);
    numbers->addWidget(new QLabel(qpLoadStr(qpsSeparatorLabel), page));
    numbers->addWidget(Separator);
    form->addRow(qpLoadStr(qpsDecimalsLabel), numbers);
    form->addRow(qpLoadStr(qpsCustomFormatLabel), CustomFormat);
    static_cast<QVBoxLayout *>(page->layout())->addLayout(form);

    const quint32 f = m_view->Format;
    FormatCategory->setCurrentIndex(qBound(0, int((f >> 24) & 0x0F), 4));
    fillVariants();
    FormatVariant->setCurrentIndex(qMin(int((f >> 16) & 0xFF), FormatVariant->count() - 1));
    Decimals->setValue(int((f >> 8) & 0xFF));
    Separator->setText((f & 0xFF) ? QString(QChar(char16_t(f & 0xFF))) : QStringLiteral(","));
    CustomFormat->setText(m_view->FormatStr);
    connect(FormatCategory, &QComboBox::currentIndexChanged, this, &TqpMemoEditorForm::fillVariants);
    connect(FormatVariant, &QComboBox::currentIndexChanged, this, [this] {
        CustomFormat->setEnabled(FormatVariant->currentIndex() == kCustomVariant);
    });
    CustomFormat->setEnabled(FormatVariant->currentIndex() == kCustomVariant);
}

void TqpMemoEditorForm::fillVariants()
{
    const int category = FormatCategory->currentIndex();
    FormatVariant->clear();
    FormatVariant->setEnabled(category != fcText);
    if (category == fcText)
        return;
    for (int variant = 0; variant < kCustomVariant; ++variant) {
        if (category == fcBoolean) {
            FormatVariant->addItem(qpBoolFormats.value(variant));
            continue;
        }
        const quint32 word = quint32(',') | (2u << 8) | (quint32(variant) << 16) | (quint32(category) << 24);
        FormatVariant->addItem(TqpReport::FormatValue(sampleValue(category), word, QString()));
    }
    FormatVariant->addItem(qpLoadStr(qpsFormatCustom));
}

quint32 TqpMemoEditorForm::FormatWord() const
{
    if (!FormatCategory)
        return m_view->Format;
    const QString sep = Separator->text();
    const quint32 separator = sep.isEmpty() ? quint32(',') : quint32(sep.at(0).unicode() & 0xFF);
    const quint32 category = quint32(FormatCategory->currentIndex());
    const quint32 variant = category == fcText ? 0 : quint32(qMax(0, FormatVariant->currentIndex()));
    return separator | (quint32(Decimals->value()) << 8) | (variant << 16) | (category << 24);
}

QString TqpMemoEditorForm::FormatString() const
{
    if (!FormatCategory)
        return m_view->FormatStr;
    return FormatVariant->currentIndex() == kCustomVariant ? CustomFormat->text() : QString();
}

QStringList TqpMemoEditorForm::ScriptLines() const
{
    const QStringList lines = ScriptMemo->GetText();
    return isBlankBlock(lines) ? QStringList() : lines;
}

void TqpMemoEditorForm::insertIntoText(const QString &text)
{
    if (text.isEmpty())
        return;
    MemoText->insertPlainText(text);
    MemoText->setFocus();
}

void TqpMemoEditorForm::InsertField() { insertIntoText(qpInsertDBField(m_dictionary, this)); }

void TqpMemoEditorForm::InsertVariable() { insertIntoText(qpInsertExpression(m_dictionary, this, 1)); }

void TqpMemoEditorForm::InsertExpression() { insertIntoText(qpInsertExpression(m_dictionary, this)); }

void TqpMemoEditorForm::accept()
{
    QStringList compiled, errors;
    qpInterpretator->PrepareScript(ScriptMemo->GetText(), compiled, errors);
    if (errors.isEmpty() && !qpInterpretator->ErrorFlag()) {
        QDialog::accept();
        return;
    }
    // A failed compilation without a message still keeps the window open.
    const QString error = errors.value(0, qpLoadStr(qpsScriptNotCompiled));
    Pages->setCurrentWidget(ScriptMemo);
    const QPoint pos = qpScriptErrorPos(error);
    ScriptMemo->SetPos(pos.x(), pos.y());
    ScriptMemo->ShowMessage(error);
    ScriptMemo->setFocus();
}

bool qpShowMemoEditor(TqpView *view, TqpDesignerState *state, QWidget *parent)
{
    TqpMemoEditorForm form(view, state->Report->Dictionary, parent);
    if (!state->SyntaxHighlight)
        form.ScriptMemo->SetSyntaxType(stText);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    state->AddUndoAction(acEdit, {view});
    view->Memo = form.MemoText->toPlainText().split(QLatin1Char('\n'));
    if (view->Memo == QStringList(QString()))
        view->Memo.clear();
    view->Script = form.ScriptLines();
    view->Format = form.FormatWord();
    view->FormatStr = form.FormatString();
    return true;
}
