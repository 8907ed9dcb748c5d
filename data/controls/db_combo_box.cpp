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
    // A choice is a complete value: it goes into the field at once.
    m_link.Assign([&](TField &f) { f.setAsString(itemText(index)); });
}
