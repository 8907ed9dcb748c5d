#pragma once
// The text editor window of a report object: its text, with buttons that
// insert a data field, a variable or an expression, the display format of a
// text object, and its script in the script editor control. Confirming
// compiles the script; an error keeps the window open with the message in
// the control's footer and the caret where the message points.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;
class TqpDataDictionary;
class TqpDesignerState;
class TqpSyntaxMemo;
class TqpView;

class TqpMemoEditorForm : public QDialog {
    Q_OBJECT
public:
    TqpMemoEditorForm(TqpView *view, const TqpDataDictionary &dictionary, QWidget *parent = nullptr);

    QTabWidget *Pages;
    QPlainTextEdit *MemoText;
    TqpSyntaxMemo *ScriptMemo;
    // Display format; present for text objects only.
    QComboBox *FormatCategory = nullptr, *FormatVariant = nullptr;
    QSpinBox *Decimals = nullptr;
    QLineEdit *Separator = nullptr, *CustomFormat = nullptr;

    // The format word and string the boxes describe.
    quint32 FormatWord() const;
    QString FormatString() const;
    // The script as it is to be stored: empty when only the empty block stands there.
    QStringList ScriptLines() const;
    void InsertField();
    void InsertVariable();
    void InsertExpression();

    void accept() override;

private:
    void buildFormatBox(QWidget *page);
    void fillVariants();
    void insertIntoText(const QString &text);

    TqpView *m_view;
    const TqpDataDictionary &m_dictionary;
};

// The script shown when an object has none.
QStringList qpEmptyScript();
// Where a compile error line ("Line L/C: message") points, as (column, line);
// (1, 1) when it names no position.
QPoint qpScriptErrorPos(const QString &error);

// Opens the editor for the view and, on OK, records the change for undo
// and copies text, format and script back; true when it was confirmed.
bool qpShowMemoEditor(TqpView *view, TqpDesignerState *state, QWidget *parent = nullptr);
