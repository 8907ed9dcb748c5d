#pragma once
// TqpInsFieldsForm, "Veri alanı ekle": the designer's insert-fields window.
// It lists the report dictionary's data sets with their fields, and its
// variable categories with their variables; an entry dragged onto a report
// page becomes a text object that shows it.

#include <QWidget>

class QListWidget;
class TqpDesignerState;
class TqpFieldList;

class TqpInsFieldsForm : public QWidget {
    Q_OBJECT
public:
    explicit TqpInsFieldsForm(TqpDesignerState *state, QWidget *parent = nullptr);

    TqpDesignerState *const State;
    TqpFieldList *const List;

    QListWidget *FieldList() const;
    // Reads the dictionary again, keeping the chosen data set while it
    // exists; dragging is offered only where a drop can create an object.
    void Refresh();
};
