#include "db_memo.h"

#include "application.h"
#include "db_edit.h"

#include <QKeyEvent>

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBMemo::reload);
    connect(&m_link, &TFieldDataLink::updateData, this, &TDBMemo::UpdateRecord);
}

void TDBMemo::reload()
{
    const TField *f = m_link.Field();
    setPlainText(f ? f->AsString() : QString());
    document()->setModified(false);
}

void TDBMemo::UpdateRecord()
{
    TField *f = m_link.Field();
    if (!document()->isModified() || !f || !m_link.Editing())
        return;
    f->setAsString(toPlainText());
    document()->setModified(false);
}

void TDBMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && document()->isModified()) {
        reload();
        return;
    }
    if ((IsEditingKey(event) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !isReadOnly()) {
        bool editing = false;
        Guarded([&] { editing = m_link.Edit(); });
        if (!editing)
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
