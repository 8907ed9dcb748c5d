#include "db_memo.h"

#include "application.h"

#include <QKeyEvent>

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBMemo::reload);
    connect(&m_link, &TFieldDataLink::updateData, this, &TDBMemo::UpdateRecord);
    // Keys, paste, drop, middle click and undo all end here.
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (m_loading)
            return;
        m_changing = true;
        Guarded([this] { m_link.Modify(); });
        m_changing = false;
    });
    reload();
}

void TDBMemo::reload()
{
    // A change that could not start editing is taken back once the document
    // has finished applying it.
    if (m_changing) {
        QMetaObject::invokeMethod(this, &TDBMemo::reload, Qt::QueuedConnection);
        return;
    }
    const TField *f = m_link.Field();
    const QString text = f ? f->AsString() : QString();
    // Replacing even an equal text would lose the caret, the selection and
    // the undo history.
    if (text == toPlainText())
        return;
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

void TDBMemo::UpdateRecord()
{
    m_link.UpdateField([this](TField &f) { f.setAsString(toPlainText()); });
}

void TDBMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.Modified()) {
        m_link.Reset();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Guarded([this] { UpdateRecord(); });
}
