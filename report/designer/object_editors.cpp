#include "report/designer/object_editors.h"

#include "report/designer/band_editors.h"
#include "report/designer/designer_state.h"
#include "report/designer/field_chooser.h"
#include "report/designer/memo_editor.h"
#include "report/designer/picture_editor.h"
#include "report/designer/rich_editor.h"
#include "report/model/band_view.h"
#include "report/model/model_globals.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/rich_view.h"

#include <QPointer>

namespace {

// Runs an editor from the inspector or an object's own call and shows its
// change; the canvas hooks repaint by themselves.
template <class View>
TqpPropEditor editorFor(TqpDesignerState *state, QPointer<QWidget> parent,
                        bool (*show)(View *, TqpDesignerState *, QWidget *))
{
    return [state, parent, show](TqpObject *sender) {
        if (auto *view = dynamic_cast<View *>(sender); view && show(view, state, parent))
            state->AfterChange();
    };
}

} // namespace

void qpInstallObjectEditors(TqpDesignerState *state, QWidget *parent)
{
    const QPointer<QWidget> owner(parent);
    qpMemoEditor = editorFor<TqpView>(state, owner, qpShowMemoEditor);
    qpPictureEditor = editorFor<TqpPictureView>(state, owner, qpShowPictureEditor);
    qpRichEditor = editorFor<TqpRichView>(state, owner, qpShowRichEditor);
    qpDataSourceEditor = qpCrossDataSourceEditor = qpGroupEditor =
        editorFor<TqpBandView>(state, owner, qpShowBandEditor);
    qpFieldEditor = [state, owner](TqpObject *sender) {
        auto *view = dynamic_cast<TqpView *>(sender);
        if (!view)
            return;
        const QString field = qpChooseField(state->Report->Dictionary, owner);
        if (field.isEmpty())
            return;
        state->AddUndoAction(acEdit, {view});
        view->SetPropValue(QStringLiteral("DataField"), Variant(field));
        state->AfterChange();
    };
    const auto band = [state, owner](TqpView *v) {
        if (auto *b = dynamic_cast<TqpBandView *>(v))
            qpShowBandEditor(b, state, owner);
    };
    state->BandEditor = state->GroupEditor = state->CrossTabEditor = band;
    state->MemoEditorWindow = [state, owner](TqpView *v) { return qpShowMemoEditor(v, state, owner); };
}

void qpRemoveObjectEditors()
{
    qpMemoEditor = qpPictureEditor = qpRichEditor = qpDataSourceEditor = qpCrossDataSourceEditor = qpGroupEditor =
        qpFieldEditor = nullptr;
}
