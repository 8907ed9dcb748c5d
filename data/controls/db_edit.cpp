#include "db_edit.h"

#include "application.h"
#include "edit_mask.h"

#include <QKeyEvent>

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBEdit::reload);
    connect(&m_link, &TFieldDataLink::updateData, this, &TDBEdit::UpdateRecord);
    // Every way the operator changes the text ends here, keys or not.
    connect(this, &QLineEdit::textEdited, this, [this] { Guarded([this] { m_link.Modify(); }); });
    reload();
}

void TDBEdit::reload()
{
    // The operator edits the plain text of a value and reads its display
    // form; a value that cannot be edited here is always read.
    showField(hasFocus() && !isReadOnly() && m_link.CanModify());
}

void TDBEdit::showField(bool forEditing)
{
    const TField *f = m_link.Field();
    if (!f) {
        setInputMask(QString());
        clear();
        return;
    }
    // Setting a mask or a text, even an unchanged one, loses the selection,
    // the cursor and the undo history.
    if (const QString mask = QtInputMask(f->EditMask); mask != inputMask())
        setInputMask(mask);
    if (const int length = f->DataType() == ftString && f->Size() > 0 ? f->Size() : 32767;
        inputMask().isEmpty() && length != maxLength())
        setMaxLength(length);
    if (const QString shown = forEditing ? f->AsString() : f->DisplayText(); shown != text())
        setText(shown);
}

void TDBEdit::UpdateRecord()
{
    m_link.UpdateField([this](TField &f) {
        ValidateMaskedText(*this);
        f.setAsString(text());
    });
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.Modified()) {
        m_link.Reset();
        selectAll();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_link.Modified())
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

void TDBEdit::dropEvent(QDropEvent *event)
{
    // Text dropped into an editor that shows a value's display form
    // ("250,00 TL") lands in the form the operator edits.
    if (!m_link.Modified() && !isReadOnly() && m_link.CanModify())
        showField(true);
    QLineEdit::dropEvent(event);
}
