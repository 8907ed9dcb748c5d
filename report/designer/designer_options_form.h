#pragma once
// TqpDesOptionsForm: the designer options dialog, with the designer's tab
// (grid, units, shape mode, page position, titles) and the editor's tab.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;
class TqpDesignerState;

// Options the window keeps beside the canvas's state.
struct TqpDesignerOptions {
    bool GrayButtons = false;
    bool LocalizedPropNames = false;
    bool SyntaxHighlight = true;
};

class TqpDesOptionsForm : public QDialog {
    Q_OBJECT
public:
    TqpDesOptionsForm(TqpDesignerState *state, TqpDesignerOptions *options, QWidget *parent = nullptr);

    QCheckBox *ShowGridCB, *AlignCB, *NoUndoCB, *SyntaxCB, *ShapeCB, *ColoredCB, *EditAfterCB, *TitlesCB,
        *LocalizedCB;
    QComboBox *GridSizeCB, *UnitsCB, *PositionCB;

    void Apply();

private:
    TqpDesignerState *m_state;
    TqpDesignerOptions *m_options;
};
