#pragma once
// The rich-text object's editor: a working copy of the object's formatted
// text with bold, italic, underline, font, size, colour, alignment and the
// insertion of data fields; confirming writes the text back as RTF.

#include <QDialog>

#include <rich_edit.h>

class QComboBox;
class QFontComboBox;
class QSpinBox;
class QTextCharFormat;
class QTextEdit;
class QToolButton;
class TqpDataDictionary;
class TqpDesignerState;
class TqpRichView;

class TqpRichEditorForm : public QDialog {
    Q_OBJECT
public:
    TqpRichEditorForm(TqpRichView *view, const TqpDataDictionary &dictionary, QWidget *parent = nullptr);

    TRichEdit Work; // the working copy the editor shows
    QTextEdit *Editor;
    QToolButton *Bold, *Italic, *Underline, *AlignLeft, *AlignCenter, *AlignRight, *InsertField;
    QFontComboBox *FontName;
    QSpinBox *FontSize;
    QComboBox *FontColor; // the named colours

    void InsertDBField();

private:
    void showFormat();
    void mergeFormat(const QTextCharFormat &format);
    void setAlignment(Qt::Alignment alignment);

    const TqpDataDictionary &m_dictionary;
    bool m_updating = false;
};

// Opens the editor on a copy of the object's content and, on OK, records
// the change for undo and copies the content back as RTF.
bool qpShowRichEditor(TqpRichView *view, TqpDesignerState *state, QWidget *parent = nullptr);
