#include "report/designer/undo_buffer.h"

#include "report/model/object_registry.h"

void TqpUndoBuffer::Add(TqpUndoRec entry)
{
    if (Count() >= Capacity)
        m_entries.pop_front();
    m_entries.push_back(std::move(entry));
}

TqpUndoRec TqpUndoBuffer::TakeNewest()
{
    TqpUndoRec entry = std::move(m_entries.back());
    m_entries.pop_back();
    return entry;
}

std::unique_ptr<TqpView> qpCopyObject(TqpView *view)
{
    std::unique_ptr<TqpView> copy(qpCreateObject(view->Kind, view->ClassName()));
    copy->Assign(view);
    copy->ID = view->ID;
    return copy;
}
