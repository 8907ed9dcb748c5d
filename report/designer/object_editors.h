#pragma once
// Connects the object editors to a designer: the property editors objects
// and the inspector call, and the designer state's editor hooks. Every
// editor records its change for undo through the state before applying it.

class QWidget;
class TqpDesignerState;

// `parent` owns the editor windows while they are shown.
void qpInstallObjectEditors(TqpDesignerState *state, QWidget *parent = nullptr);
// Drops what qpInstallObjectEditors installed (when the designer closes).
void qpRemoveObjectEditors();
