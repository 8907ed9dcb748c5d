#include "report/designer/highlight_form.h"

#include "platform/canvas/canvas.h"
#include "platform/modal_seam.h"
#include "report/core/string_table.h"
#include "report/designer/color_selector.h"
#include "report/designer/designer_commands.h"
#include "report/designer/designer_state.h"
#include "report/designer/dialog_buttons.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

TqpHighlightForm::TqpHighlightForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(qpLoadStr(59788));
    m_condition = new QLineEdit(this);
    m_fontColor = new TqpColorButton(false, this);
    m_fillColor = new TqpColorButton(true, this);
    m_bold = new QCheckBox(qpLoadStr(59792), this);
    m_italic = new QCheckBox(qpLoadStr(59793), this);
    m_underline = new QCheckBox(qpLoadStr(59794), this);
    auto *form = new QFormLayout;
    form->addRow(qpLoadStr(59789), m_condition);
    form->addRow(qpLoadStr(59790), m_fontColor);
    form->addRow(qpLoadStr(59791), m_fillColor);
    QDialogButtonBox *buttons = qpOkCancelButtons(this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_bold);
    layout->addWidget(m_italic);
    layout->addWidget(m_underline);
    layout->addWidget(buttons);

    SetHighlight(QString(), TqpHighlight());
}

void TqpHighlightForm::SetHighlight(const QString &condition, const TqpHighlight &h)
{
    m_condition->setText(condition);
    m_fontColor->SetColor(h.FontColor);
    m_fillColor->SetColor(h.FillColor);
    m_bold->setChecked(h.FontStyle & 2);
    m_italic->setChecked(h.FontStyle & 1);
    m_underline->setChecked(h.FontStyle & 4);
}

QString TqpHighlightForm::Condition() const { return m_condition->text(); }

TqpHighlight TqpHighlightForm::Highlight() const
{
    TqpHighlight h;
    h.FontColor = m_fontColor->Color();
    h.FillColor = m_fillColor->Color();
    h.FontStyle = quint16((m_bold->isChecked() ? 2 : 0) | (m_italic->isChecked() ? 1 : 0)
                          | (m_underline->isChecked() ? 4 : 0));
    return h;
}

void TqpHighlightForm::Edit(TqpDesignerCommands &commands, QWidget *parent)
{
    TqpDesignerState *state = commands.State;
    const QList<TqpView *> sel = state->Selection();
    if (sel.isEmpty())
        return;
    TqpHighlightForm form(parent);
    if (auto *last = dynamic_cast<TqpMemoView *>(sel.last()))
        form.SetHighlight(last->HighlightCondition, last->Highlight);
    if (UiSeam::ShowModal(&form) == QDialog::Accepted) {
        QList<TqpView *> texts;
        for (TqpView *v : sel)
            if (v->Kind == vkText && state->MayModify(v))
                texts.append(v);
        if (!texts.isEmpty()) {
            state->AddUndoAction(acEdit, texts);
            for (TqpView *v : std::as_const(texts)) {
                auto *m = static_cast<TqpMemoView *>(v);
                m->HighlightCondition = form.Condition();
                m->Highlight = form.Highlight();
            }
            state->ShowPosition();
        }
    }
    state->Redraw();
}
