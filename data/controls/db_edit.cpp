#include "db_edit.h"

#include "application.h"
#include "edit_mask.h"

#include <QKeyEvent>

bool IsEditingKey(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo)
        || event->matches(QKeySequence::Redo))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBEdit::reload);
    connect(&m_link, &TFieldDataLink::updateData, this, &TDBEdit::UpdateRecord);
    connect(this, &QLineEdit::textEdited, this, [this] { Guarded([this] { textTyped(); }); });
    reload();
}

void TDBEdit::reload()
{
    m_modified = false;
    const TField *f = m_link.Field();
    if (!f) {
        setInputMask(QString());
        clear();
        return;
    }
    // Setting a mask or a text, even an unchanged one, loses the selection
    // and the cursor, which a key press that starts editing still needs.
    if (const QString mask = QtInputMask(f->EditMask); mask != inputMask())
        setInputMask(mask);
    if (const int length = f->DataType() == ftString && f->Size() > 0 ? f->Size() : 32767;
        inputMask().isEmpty() && length != maxLength())
        setMaxLength(length);
    // The operator edits the plain text of a value and reads its display
    // form; a value that cannot be edited here is always read.
    const bool editable = hasFocus() && !isReadOnly() && m_link.CanModify();
    if (const QString shown = editable ? f->AsString() : f->DisplayText(); shown != text())
        setText(shown);
    m_modified = false;
}

void TDBEdit::textTyped()
{
    // Text that arrived without a key press (a paste from the menu) must
    // still start editing, or be taken back.
    if (!m_link.Edit()) {
        reload();
        return;
    }
    m_modified = true;
}

void TDBEdit::UpdateRecord()
{
    if (!m_modified)
        return;
    TField *f = m_link.Field();
    if (!f || !m_link.Editing())
        return;
    ValidateMaskedText(*this);
    const QString text = this->text();
    m_modified = false;
    try {
        f->setAsString(text);
    } catch (...) {
        m_modified = true;
        throw;
    }
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_modified) {
        reload();
        selectAll();
        return;
    }
    if (IsEditingKey(event) && !isReadOnly()) {
        bool editing = false;
        Guarded([&] { editing = m_link.Edit(); });
        if (!editing)
            return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_modified)
        reload();
}

void TDBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Leaving for another window keeps the text pending, as with any editor:
    // it is written when the record is settled.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    Guarded([this] {
        try {
            UpdateRecord();
        } catch (...) {
            // The text stays for the operator to correct or abandon with Esc.
            setFocus();
            throw;
        }
        reload();
    });
}
