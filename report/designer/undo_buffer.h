#pragma once
// The designer's undo and redo buffers: each entry says what was done to
// which objects of which page, with copies of the objects as they were
// where an entry needs them to put things back.

#include "report/model/view.h"

#include <deque>
#include <memory>
#include <vector>

#include <QtGlobal>


enum TqpUndoAction : quint8 { acInsert = 0, acDelete = 1, acEdit = 2, acZOrder = 3 };

struct TqpUndoObj {
    quint32 ID = 0;
    std::unique_ptr<TqpView> Copy; // acDelete and acEdit: the object as it was
    int Pos = -1;                  // acDelete, acEdit, acZOrder: place in the page's list
};

struct TqpUndoRec {
    TqpUndoAction Action = acEdit;
    int Page = 0;
    std::vector<TqpUndoObj> Objects;
    // Other objects the same step changed (moved or resized to make room),
    // each as it was: put back together with the step's own objects.
    std::vector<TqpUndoObj> Edited;
};

class TqpUndoBuffer {
public:
    static constexpr int Capacity = 100;

    int Count() const { return int(m_entries.size()); }
    bool IsEmpty() const { return m_entries.empty(); }
    // A full buffer forgets its oldest entry.
    void Add(TqpUndoRec entry);
    TqpUndoRec &Newest() { return m_entries.back(); }
    const TqpUndoRec &At(int index) const { return m_entries.at(size_t(index)); }
    TqpUndoRec TakeNewest();
    void Clear() { m_entries.clear(); }

private:
    std::deque<TqpUndoRec> m_entries;
};

// A copy of the object made from its type code and class, carrying its ID.
std::unique_ptr<TqpView> qpCopyObject(TqpView *view);
