#pragma once
// The designer's font dialog: the desktop's font chooser with the font
// colour beside it, as one dialog, for a report font.

#include "report/model/stream_utils.h"

#include <QDialog>

class QFontDialog;
class TqpColorButton;

class TqpFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TqpFontDialog(const TqpFont &font, QWidget *parent = nullptr);

    // The chosen font. What the operator left alone stays as the dialog
    // started, even when the chooser shows a stand-in for a font that is
    // not installed; the character set is not offered and stays.
    TqpFont SelectedFont() const;

    QFontDialog *FontBox() const { return m_fontBox; }
    TqpColorButton *ColorButton() const { return m_color; }

private:
    TqpFont m_start;
    QFont m_shown; // what the chooser showed at the start
    QFontDialog *m_fontBox;
    TqpColorButton *m_color;
};
