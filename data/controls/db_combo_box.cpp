#include "db_combo_box.h"

#include "application.h"

TDBComboBox::TDBComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBComboBox::reload);
    connect(this, &QComboBox::activated, this, [this](int index) { Guarded([&] { choose(index); }); });
}

void TDBComboBox::reload()
{
    const TField *f = m_link.Field();
    setCurrentIndex(f ? findText(f->AsString(), Qt::MatchExactly) : -1);
}

void TDBComboBox::choose(int index)
{
    // A choice is a complete value: it goes into the field at once. The
    // value already there is no change and starts no edit.
    if (const TField *f = m_link.Field(); f && !f->IsNull() && f->AsString() == itemText(index))
        return;
    m_link.Assign([&](TField &f) { f.setAsString(itemText(index)); });
}
