#pragma once
// "Belirti durumu": the highlight of text objects, the look a text takes
// when its condition holds (font colour, fill colour, bold, italic,
// underline) and the condition itself.

#include "report/model/memo_view.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class TqpColorButton;
class TqpDesignerCommands;

class TqpHighlightForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpHighlightForm(QWidget *parent = nullptr);

    void SetHighlight(const QString &condition, const TqpHighlight &highlight);
    QString Condition() const;
    // The stored style code is rebuilt from the boxes; strikeout is dropped.
    TqpHighlight Highlight() const;

    QLineEdit *ConditionEdit() const { return m_condition; }
    QCheckBox *BoldBox() const { return m_bold; }
    QCheckBox *ItalicBox() const { return m_italic; }
    QCheckBox *UnderlineBox() const { return m_underline; }
    TqpColorButton *FontColorButton() const { return m_fontColor; }
    TqpColorButton *FillColorButton() const { return m_fillColor; }

    // Opens the dialog on the last selected object's highlight; on OK every
    // selected text object takes it, as one undo step. The page is redrawn
    // either way.
    static void Edit(TqpDesignerCommands &commands, QWidget *parent = nullptr);

private:
    QLineEdit *m_condition;
    QCheckBox *m_bold, *m_italic, *m_underline;
    TqpColorButton *m_fontColor, *m_fillColor;
};
