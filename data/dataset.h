#pragma once
// A cursor over the records of a table, with the browse / edit / insert states
// of the membership windows, a row filter, calculated fields, bookmarks and a
// master link. The records live in memory in their stored order; a subclass
// reads them from and writes them to storage.

#include "detail_index.h"
#include "field.h"
#include "packed_row.h"

#include <QList>
#include <QObject>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class TDataSource;
class TFilterExpr;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };

enum TFilterOption { foCaseInsensitive = 0x1, foNoPartialCompare = 0x2 };
using TFilterOptions = int;

// A stored column of a table.
struct TColumnDef {
    QString name;
    TFieldType type;
    int size = 0; // characters, for text
};

// Identifies a stored record independently of filters and order.
struct TBookmark {
    qint64 id = 0;
    bool valid = false;
};

class TDataSet : public QObject {
    Q_OBJECT
public:
    explicit TDataSet(QObject *parent = nullptr);
    ~TDataSet() override;

    // --- opening
    void Open();
    void Close();
    bool Active() const { return m_state != dsInactive; }
    void setActive(bool on) { on ? Open() : Close(); }
    TDataSetState State() const { return m_state; }

    // A calculated field, defined before opening; it is placed after the
    // stored field `after` (at the end when empty or absent).
    void AddCalcField(const QString &name, TFieldType type, const QString &after = QString());
    // Edit mask given to a field whenever the data set opens.
    void SetFieldEditMask(const QString &name, const QString &mask);

    // --- fields
    const QList<TField *> &Fields() const { return m_fields; }
    int FieldCount() const { return int(m_fields.size()); }
    TField *FindField(const QString &name) const;
    TField *FieldByName(const QString &name) const; // raises field-not-found
    QStringList FieldNames() const;

    // --- moving; each settles a pending edit or insert first
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const { return m_view.empty() && m_state != dsInsert; }
    int RecordCount() const { return int(m_view.size()); }
    int RecNo() const; // 1-based position in the visible records, 0 when none
    void setRecNo(int recNo);

    // --- editing
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode(); // a modified pending record is posted, an unmodified one dropped
    // Has the bound controls write text they still hold into the fields.
    void UpdateRecord() { emit notifyUpdateRecord(); }
    void FlushBuffers() {}  // every post is already on disk
    bool Modified() const { return m_modified; }

    // --- filter
    const QString &Filter() const { return m_filterText; }
    void setFilter(const QString &expression);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool on);
    TFilterOptions FilterOptions() const { return m_filterOptions; }
    void setFilterOptions(TFilterOptions options);

    // --- master link: the detail shows the records whose IndexFieldNames
    // field equals the master's MasterFields field, ordered by that field.
    void setMasterSource(TDataSource *source);
    TDataSource *MasterSource() const { return m_masterSource; }
    QString MasterFields;
    QString IndexFieldNames;

    // --- bookmarks
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark &bookmark);
    void FreeBookmark(TBookmark &bookmark) { bookmark = {}; }
    bool BookmarkValid(const TBookmark &bookmark) const;
    int CompareBookmarks(const TBookmark &a, const TBookmark &b) const;

    // --- notifications to data sources
    // While controls are disabled (the calls nest) the widgets hear nothing,
    // so a walk over many records costs them nothing; the last
    // EnableControls tells them once to show where the cursor is now.
    // Detail data sets keep following their master all the same.
    void DisableControls() { ++m_disableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }
    // Changes whenever the visible records, their contents or the pending
    // record change; a mere move of the cursor leaves it as it is, so a view
    // can tell a move (repaint two rows) from a change (repaint all).
    quint64 RecordsVersion() const { return m_recordsVersion; }

    // Called whenever a record is fetched or a field of the edited record
    // changes; it may assign calculated fields only.
    std::function<void(TDataSet *)> OnCalcFields;
    // Called by Append and Insert to give a new record its defaults; what it
    // assigns does not count as the operator's change.
    std::function<void(TDataSet *)> OnNewRecord;
    // Called by Post once the controls have written their text, before
    // anything is stored; raising refuses the post and keeps the record
    // being edited as it is.
    std::function<void(TDataSet *)> BeforePost;

    // Values of any visible record, calculated fields included, for grids.
    // `row` counts from 0 in the visible order.
    // A blob that has not been read yet shows as the Boolean true.
    QVector<QVariant> RecordValues(int row);
    // Where the grid shows the record being inserted, or -1.
    int InsertPosition() const { return m_state == dsInsert ? m_insertPos : -1; }

    // Largest value of a stored numeric field over every record, whatever
    // the filter or master link hides; 0 when there is none.
    double MaxValue(const QString &fieldName) const;

    // Used by the fields.
    QVariant fieldValue(const TField *field);
    void setFieldValue(TField *field, const QVariant &value);

signals:
    // Emitted through the data sources; see TDataSource.
    void notifyData();
    void notifyField(TField *field);
    void notifyState();
    // Sent before a pending record is settled or posted, so that widgets
    // still holding typed text write it into the fields first (or refuse).
    void notifyUpdateRecord();
    // The current record moved or the records changed; sent even while
    // controls are disabled, for the master links of detail data sets.
    void notifyDetails();

protected:
    struct Record {
        qint64 id;
        PackedRow data;
    };

    // Opens the storage, returns its columns and fills `records` in stored order.
    virtual QList<TColumnDef> InternalOpen(std::vector<Record> &records) = 0;
    virtual void InternalClose() = 0;
    // Writes the columns marked in `changed` (all when inserting) and returns the
    // record's id. Raises on refusal, leaving storage as it was.
    virtual qint64 InternalPost(qint64 id, bool inserting, const QVector<QVariant> &columns,
                                const QVector<bool> &changed) = 0;
    virtual void InternalDelete(qint64 id) = 0;
    virtual QByteArray InternalLoadBlob(qint64 id, int column) = 0;
    // Stored order key column (-1: order of arrival).
    virtual int KeyColumn() const = 0;
    virtual double InternalMaxValue(int column) const = 0;

private:
    friend class TDataSource;
    void checkActive() const;
    void checkEditing() const;
    void createFields(const QList<TColumnDef> &columns);
    void rebuildView();
    const TField *masterLink(int &column) const;
    bool passesFilter(const Record &rec) const;
    int findRecordIndex(qint64 id) const;
    int insertPositionFor(const QVariant &key) const;
    void setCurrent(int viewPos);
    void fetchCurrent();
    void runCalc(QVector<QVariant> &values);
    QVector<QVariant> decode(const Record &rec) const;
    QVector<QVariant> columnsOf(const QVector<QVariant> &values) const;
    void masterChanged();
    void notify(bool data, TField *field = nullptr, bool state = false);
    void settle();
    void recordsChanged() { ++m_recordsVersion; }

    TDataSetState m_state = dsInactive;
    QList<TField *> m_fields;
    QVector<int> m_fieldColumn; // field index -> storage column, -1 for calculated
    struct CalcDef { QString name; TFieldType type; QString after; };
    QList<CalcDef> m_calcDefs;
    QHash<QString, QString> m_editMasks;

    std::vector<Record> m_records; // stored order
    std::vector<int> m_view;       // visible records, as indexes into m_records
    int m_cur = -1;                // position in m_view
    bool m_bof = true, m_eof = true;

    QVector<QVariant> m_buffer;    // current record, every field
    qint64 m_bufferId = -1;        // its stored id, -1 for a new record
    QVector<bool> m_changed;
    bool m_modified = false;
    int m_insertPos = -1;          // view position shown for the record being inserted

    QString m_filterText;
    std::unique_ptr<TFilterExpr> m_filter;
    bool m_filtered = false;
    TFilterOptions m_filterOptions = 0;

    TDataSource *m_masterSource = nullptr;
    TDetailIndex m_detailIndex;    // link value -> positions in m_records
    QMetaObject::Connection m_masterConnection;
    int m_disableCount = 0;
    quint64 m_recordsVersion = 0;
    bool m_inCalc = false;
};
