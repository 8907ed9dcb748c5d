#pragma once
// What a data-aware widget needs of its data source: the field it shows, a
// signal whenever that field's value may have changed, and a signal asking it
// to write the operator's pending change into the field before the record is
// settled or posted.
//
// A change the operator made in the widget (typed, pasted, dropped, undone,
// chosen) is marked on the link until it reaches the field. While the mark
// is set and the record is still being edited, the widget is not asked to
// show the field again: whatever else happens to the record, the operator's
// text, caret and undo history stay. Cancelling the record, or the widget's
// own Esc, drops the change.

#include <QObject>
#include <QPointer>
#include <functional>

#include "data_source.h"

class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit TFieldDataLink(QObject *parent = nullptr) : QObject(parent) {}

    TDataSource *DataSource() const { return m_source; }
    void setDataSource(TDataSource *source);
    const QString &FieldName() const { return m_fieldName; }
    void setFieldName(const QString &name);

    TDataSet *DataSet() const;
    bool Active() const;
    // The field, looked up on every call: fields are recreated when the data
    // set reopens. nullptr when inactive or absent.
    TField *Field() const;
    bool Editing() const;
    bool CanModify() const;

    // True while the widget holds a change of the operator's that has not
    // reached the field yet.
    bool Modified() const { return m_modified; }
    // The operator has just changed the widget: marks the change and puts the
    // record into edit state (an empty data set appends one). When the field
    // cannot be changed the mark is dropped, the widget is asked to show the
    // field again, and false (or the data layer's error) comes back.
    bool Modify();
    // Drops the operator's change and shows the field again.
    void Reset();
    // Writes the pending change through `write` when there is one and the
    // record is being edited. The mark is dropped first, so the widget shows
    // the written value; a refusal keeps it and passes the error on.
    void UpdateField(const std::function<void(TField &)> &write);
    // A complete change (a choice, a picture): edits the record and writes
    // it at once; a refusal shows the field again and passes the error on.
    void Assign(const std::function<void(TField &)> &write);

signals:
    void recordChanged(); // show the field's value again
    void updateData();    // write the pending change into the field now

private:
    void dataChanged();

    QPointer<TDataSource> m_source;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_links;
    bool m_modified = false;
};
