#include "dataset.h"

#include "data_source.h"
#include "db_error.h"
#include "filter_expr.h"

#include <algorithm>

namespace {
// Orders stored values: no value first, then numbers, dates and texts.
int compareValues(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return int(a.isValid()) - int(b.isValid());
    const QPartialOrdering o = QVariant::compare(a, b);
    if (o == QPartialOrdering::Less)
        return -1;
    if (o == QPartialOrdering::Greater)
        return 1;
    return 0;
}
} // namespace

TDataSet::TDataSet(QObject *parent) : QObject(parent) {}

TDataSet::~TDataSet()
{
    qDeleteAll(m_fields);
}

// ---------------------------------------------------------------- opening

void TDataSet::Open()
{
    if (Active())
        return;
    std::vector<Record> records;
    const QList<TColumnDef> columns = InternalOpen(records);
    try {
        createFields(columns);
        if (!m_filterText.isEmpty())
            m_filter = std::make_unique<TFilterExpr>(m_filterText, [this](const QString &n) {
                const TField *f = FindField(n);
                return f ? f->Index() : -1;
            });
    } catch (...) {
        InternalClose();
        qDeleteAll(m_fields);
        m_fields.clear();
        throw;
    }
    m_records = std::move(records);
    m_state = dsBrowse;
    rebuildView();
    setCurrent(0);
    notify(true, nullptr, true);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    // A record still pending is dropped, as closing a window drops it.
    m_state = dsBrowse;
    InternalClose();
    m_state = dsInactive;
    m_records.clear();
    m_detailIndex.clear();
    m_view.clear();
    m_cur = -1;
    m_buffer.clear();
    m_filter.reset();
    recordsChanged();
    notify(true, nullptr, true);
    qDeleteAll(m_fields);
    m_fields.clear();
}

void TDataSet::AddCalcField(const QString &name, TFieldType type, const QString &after)
{
    m_calcDefs.append({name, type, after});
}

void TDataSet::SetFieldEditMask(const QString &name, const QString &mask)
{
    m_editMasks.insert(name.toLower(), mask);
    if (TField *f = FindField(name))
        f->EditMask = mask;
}

void TDataSet::createFields(const QList<TColumnDef> &columns)
{
    auto make = [this](const QString &name, TFieldType type, int size, TFieldKind kind) -> TField * {
        switch (type) {
        case ftString: return new TStringField(this, name, size, kind);
        case ftFloat: return new TFloatField(this, name, kind);
        case ftCurrency: return new TCurrencyField(this, name, kind);
        case ftDate: return new TDateField(this, name, kind);
        case ftMemo: return new TMemoField(this, name, kind);
        case ftGraphic: return new TGraphicField(this, name, kind);
        }
        return nullptr;
    };
    qDeleteAll(m_fields);
    m_fields.clear();
    m_fieldColumn.clear();
    auto addCalcAfter = [&](const QString &name) {
        for (const CalcDef &c : m_calcDefs)
            if (c.after.compare(name, Qt::CaseInsensitive) == 0) {
                m_fields.append(make(c.name, c.type, 0, fkCalculated));
                m_fieldColumn.append(-1);
            }
    };
    for (int col = 0; col < columns.size(); ++col) {
        m_fields.append(make(columns[col].name, columns[col].type, columns[col].size, fkData));
        m_fieldColumn.append(col);
        addCalcAfter(columns[col].name);
    }
    for (const CalcDef &c : m_calcDefs)
        if (!FindField(c.name)) {
            m_fields.append(make(c.name, c.type, 0, fkCalculated));
            m_fieldColumn.append(-1);
        }
    for (int i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->m_index = i;
        m_fields[i]->EditMask = m_editMasks.value(m_fields[i]->FieldName().toLower());
    }
}

// ---------------------------------------------------------------- fields

TField *TDataSet::FindField(const QString &name) const
{
    for (TField *f : m_fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const
{
    if (TField *f = FindField(name))
        return f;
    throw EDatabaseError(QStringLiteral("'%1' alanı bulunamadı").arg(name));
}

QStringList TDataSet::FieldNames() const
{
    QStringList names;
    for (const TField *f : m_fields)
        names.append(f->FieldName());
    return names;
}

QVariant TDataSet::fieldValue(const TField *field)
{
    const int i = field->Index();
    if (i < 0 || i >= m_buffer.size())
        return QVariant();
    QVariant &v = m_buffer[i];
    // A blob is read from storage the first time the current record needs it.
    if (field->IsBlob() && v.typeId() == QMetaType::Bool) {
        v = m_bufferId >= 0 ? field->coerce(InternalLoadBlob(m_bufferId, m_fieldColumn[i])) : QVariant();
    }
    return v;
}

void TDataSet::setFieldValue(TField *field, const QVariant &value)
{
    checkActive();
    const bool calcWrite = field->Calculated() && (m_inCalc || m_state == dsEdit || m_state == dsInsert);
    if (!calcWrite)
        checkEditing();
    const int i = field->Index();
    m_buffer[i] = field->coerce(value);
    if (m_inCalc)
        return;
    if (field->Calculated()) {
        notify(false, field);
        return;
    }
    m_changed[i] = true;
    m_modified = true;
    recordsChanged();
    runCalc(m_buffer);
    notify(false, field);
    // Calculated fields follow every change, and so must what shows them.
    if (OnCalcFields)
        for (TField *f : m_fields)
            if (f->Calculated())
                notify(false, f);
}

void TDataSet::runCalc(QVector<QVariant> &values)
{
    if (!OnCalcFields || m_inCalc)
        return;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i]->Calculated())
            values[i] = QVariant();
    std::swap(values, m_buffer);
    const TDataSetState saved = m_state;
    m_state = dsCalcFields;
    m_inCalc = true;
    try {
        OnCalcFields(this);
    } catch (...) {
        m_inCalc = false;
        m_state = saved;
        std::swap(values, m_buffer);
        throw;
    }
    m_inCalc = false;
    m_state = saved;
    std::swap(values, m_buffer);
}

QVector<QVariant> TDataSet::decode(const Record &rec) const
{
    QVector<QVariant> values(m_fields.size());
    const QVector<QVariant> stored = rec.data.unpack(int(std::count_if(m_fieldColumn.begin(), m_fieldColumn.end(), [](int c) { return c >= 0; })));
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fieldColumn[i] >= 0)
            values[i] = stored[m_fieldColumn[i]];
    return values;
}

QVector<QVariant> TDataSet::columnsOf(const QVector<QVariant> &values) const
{
    QVector<QVariant> columns;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fieldColumn[i] >= 0)
            columns.append(values[i]);
    return columns;
}

QVector<QVariant> TDataSet::RecordValues(int row)
{
    if (m_state == dsInsert && row == m_insertPos)
        return m_buffer;
    if (m_state == dsInsert && row > m_insertPos)
        --row;
    if (row < 0 || row >= int(m_view.size()))
        return QVector<QVariant>(m_fields.size());
    if (row == m_cur && m_state != dsInsert)
        return m_buffer;
    QVector<QVariant> values = decode(m_records[m_view[row]]);
    const qint64 savedId = m_bufferId;
    m_bufferId = -1; // a calculation for another row must not read this row's blobs
    try {
        runCalc(values);
    } catch (...) {
        m_bufferId = savedId;
        throw;
    }
    m_bufferId = savedId;
    return values;
}

double TDataSet::MaxValue(const QString &fieldName) const
{
    checkActive();
    const TField *f = FieldByName(fieldName);
    const int col = m_fieldColumn[f->Index()];
    if (col < 0)
        throw EDatabaseError(QStringLiteral("'%1' hesaplanan bir alan").arg(fieldName));
    return InternalMaxValue(col);
}

// ---------------------------------------------------------------- view

// The master's field the link follows, and the detail's stored column it is
// compared with; null when the link shows no record at all.
const TField *TDataSet::masterLink(int &column) const
{
    TDataSet *master = m_masterSource->DataSet();
    if (!master || !master->Active() || master->IsEmpty())
        return nullptr;
    const TField *mf = master->FindField(MasterFields);
    const TField *df = FindField(IndexFieldNames.isEmpty() ? MasterFields : IndexFieldNames);
    if (!mf || !df || df->Calculated())
        return nullptr;
    column = m_fieldColumn[df->Index()];
    return mf;
}

bool TDataSet::passesFilter(const Record &rec) const
{
    if (!m_filtered || !m_filter)
        return true;
    const std::vector<int> &used = m_filter->fields();
    const bool needsCalc = std::any_of(used.begin(), used.end(), [this](int i) { return m_fieldColumn[i] < 0; });
    if (needsCalc) {
        QVector<QVariant> values = decode(rec);
        const_cast<TDataSet *>(this)->runCalc(values);
        return m_filter->matches([&](int i) { return m_fields[i]->textOf(values[i]); },
                                 [&](int i) { return !values[i].isValid(); },
                                 m_filterOptions & foCaseInsensitive, !(m_filterOptions & foNoPartialCompare));
    }
    return m_filter->matches([&](int i) { return m_fields[i]->textOf(rec.data.value(m_fieldColumn[i])); },
                             [&](int i) { return !rec.data.value(m_fieldColumn[i]).isValid(); },
                             m_filterOptions & foCaseInsensitive, !(m_filterOptions & foNoPartialCompare));
}

void TDataSet::rebuildView()
{
    recordsChanged();
    m_view.clear();
    if (!m_masterSource) {
        m_view.reserve(m_records.size());
        for (int i = 0; i < int(m_records.size()); ++i)
            if (passesFilter(m_records[i]))
                m_view.push_back(i);
    } else if (int col = -1; const TField *mf = masterLink(col)) {
        // A report follows the master through every record, so the rows of a
        // link value are looked up, not searched for among all the rows.
        const QVariant key = mf->Value();
        const std::vector<int> *rows = m_detailIndex.rowsFor(key, col, int(m_records.size()),
                                                             [&](int i) { return m_records[i].data.value(col); });
        if (rows) {
            for (int i : *rows)
                if (passesFilter(m_records[i]))
                    m_view.push_back(i);
        } else {
            for (int i = 0; i < int(m_records.size()); ++i)
                if (compareValues(m_records[i].data.value(col), key) == 0 && passesFilter(m_records[i]))
                    m_view.push_back(i);
        }
    }
    // A detail is ordered by its index field; records stay in arrival order otherwise.
    const TField *order = IndexFieldNames.isEmpty() ? nullptr : FindField(IndexFieldNames);
    if (order && !order->Calculated() && m_fieldColumn[order->Index()] != KeyColumn()) {
        const int col = m_fieldColumn[order->Index()];
        std::stable_sort(m_view.begin(), m_view.end(), [&](int a, int b) {
            return compareValues(m_records[a].data.value(col), m_records[b].data.value(col)) < 0;
        });
    }
}

int TDataSet::findRecordIndex(qint64 id) const
{
    for (int i = 0; i < int(m_records.size()); ++i)
        if (m_records[i].id == id)
            return i;
    return -1;
}

int TDataSet::insertPositionFor(const QVariant &key) const
{
    const int col = KeyColumn();
    if (col < 0)
        return int(m_records.size());
    const auto it = std::upper_bound(m_records.begin(), m_records.end(), key, [&](const QVariant &k, const Record &r) {
        return compareValues(k, r.data.value(col)) < 0;
    });
    return int(it - m_records.begin());
}

void TDataSet::setCurrent(int viewPos)
{
    const int n = int(m_view.size());
    m_cur = n == 0 ? -1 : std::clamp(viewPos, 0, n - 1);
    m_bof = m_cur <= 0;
    m_eof = n == 0;
    fetchCurrent();
}

void TDataSet::fetchCurrent()
{
    m_changed = QVector<bool>(m_fields.size(), false);
    m_modified = false;
    if (m_cur < 0) {
        m_buffer = QVector<QVariant>(m_fields.size());
        m_bufferId = -1;
        return;
    }
    const Record &rec = m_records[m_view[m_cur]];
    m_buffer = decode(rec);
    m_bufferId = rec.id;
    runCalc(m_buffer);
}

// ---------------------------------------------------------------- moving

void TDataSet::checkActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("Bu işlem kapalı bir veri kümesinde yapılamaz"));
}

void TDataSet::checkEditing() const
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw EDatabaseError(QStringLiteral("Veri kümesi düzenleme ya da ekleme durumunda değil"));
}

void TDataSet::settle()
{
    if (m_state == dsEdit || m_state == dsInsert) {
        emit notifyUpdateRecord();
        if (m_modified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::CheckBrowseMode()
{
    checkActive();
    settle();
}

void TDataSet::First()
{
    CheckBrowseMode();
    setCurrent(0);
    m_bof = true;
    notify(true);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    setCurrent(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
    notify(true);
}

void TDataSet::Next() { MoveBy(1); }

void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    const int n = int(m_view.size());
    if (n == 0) {
        m_bof = m_eof = true;
        return 0;
    }
    const int target = std::clamp(m_cur + distance, 0, n - 1);
    const int moved = target - m_cur;
    m_bof = distance < 0 && m_cur + distance < 0;
    m_eof = distance > 0 && m_cur + distance > n - 1;
    if (moved != 0) {
        m_cur = target;
        fetchCurrent();
        notify(true);
    }
    return moved;
}

int TDataSet::RecNo() const
{
    if (m_state == dsInsert)
        return m_insertPos + 1;
    return m_cur + 1;
}

void TDataSet::setRecNo(int recNo)
{
    CheckBrowseMode();
    setCurrent(recNo - 1);
    notify(true);
}

// ---------------------------------------------------------------- editing

void TDataSet::Append()
{
    CheckBrowseMode();
    m_insertPos = int(m_view.size());
    m_cur = m_view.empty() ? -1 : int(m_view.size()) - 1;
    m_buffer = QVector<QVariant>(m_fields.size());
    m_bufferId = -1;
    m_changed = QVector<bool>(m_fields.size(), false);
    m_state = dsInsert;
    recordsChanged();
    m_bof = m_eof = false;
    // A detail record belongs to the master's current record.
    if (m_masterSource && m_masterSource->DataSet()) {
        TField *df = FindField(IndexFieldNames.isEmpty() ? MasterFields : IndexFieldNames);
        const TField *mf = m_masterSource->DataSet()->FindField(MasterFields);
        if (df && mf)
            m_buffer[df->Index()] = df->coerce(mf->Value());
    }
    if (OnNewRecord)
        OnNewRecord(this);
    runCalc(m_buffer);
    m_modified = false;
    notify(true, nullptr, true);
}

void TDataSet::Insert()
{
    const int pos = std::max(m_cur, 0);
    Append();
    m_insertPos = pos;
    m_cur = m_view.empty() ? -1 : pos;
    recordsChanged();
    notify(true);
}

void TDataSet::Edit()
{
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    if (m_view.empty()) {
        Append();
        return;
    }
    m_state = dsEdit;
    m_modified = false;
    m_changed = QVector<bool>(m_fields.size(), false);
    notify(false, nullptr, true);
}

void TDataSet::Post()
{
    checkActive();
    checkEditing();
    emit notifyUpdateRecord();
    if (BeforePost)
        BeforePost(this);
    runCalc(m_buffer);
    const bool inserting = m_state == dsInsert;
    QVector<bool> changedColumns;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fieldColumn[i] >= 0)
            changedColumns.append(inserting || m_changed[i]);
    const QVector<QVariant> columns = columnsOf(m_buffer);
    const qint64 id = InternalPost(m_bufferId, inserting, columns, changedColumns);

    // In memory a blob is kept only as present or not; its bytes stay on disk.
    QVector<QVariant> kept = columns;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fieldColumn[i] >= 0 && m_fields[i]->IsBlob() && kept[m_fieldColumn[i]].isValid())
            kept[m_fieldColumn[i]] = true;
    Record rec{id, PackedRow::pack(kept)};
    const int old = inserting ? -1 : findRecordIndex(id);
    if (old >= 0)
        m_records.erase(m_records.begin() + old);
    // A table without a key keeps its records in order of arrival, so an
    // edited record stays where it was, as it is read back from the file.
    const int key = KeyColumn();
    const int at = key < 0 && old >= 0 ? old : insertPositionFor(key >= 0 ? kept[key] : QVariant());
    m_records.insert(m_records.begin() + at, std::move(rec));
    m_detailIndex.clear(); // positions moved

    m_state = dsBrowse;
    m_insertPos = -1;
    rebuildView();
    // The posted record stays current when it is visible; when the filter now
    // hides it, the record that took its place is current.
    auto it = std::find(m_view.begin(), m_view.end(), at);
    if (it == m_view.end())
        it = std::find_if(m_view.begin(), m_view.end(), [at](int r) { return r > at; });
    setCurrent(int(it - m_view.begin()));
    notify(true, nullptr, true);
}

void TDataSet::Cancel()
{
    checkActive();
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    m_state = dsBrowse;
    m_insertPos = -1;
    recordsChanged();
    setCurrent(m_cur);
    notify(true, nullptr, true);
}

void TDataSet::Delete()
{
    checkActive();
    if (m_state == dsInsert) {
        Cancel();
        return;
    }
    if (m_view.empty())
        throw EDatabaseError(QStringLiteral("Boş veri kümesinde bu işlem yapılamaz"));
    const int pos = m_cur;
    const qint64 id = m_records[m_view[pos]].id;
    InternalDelete(id);
    m_records.erase(m_records.begin() + m_view[pos]);
    m_detailIndex.clear(); // positions moved
    m_state = dsBrowse;
    rebuildView();
    setCurrent(pos);
    notify(true, nullptr, true);
}

// ---------------------------------------------------------------- filter

void TDataSet::setFilter(const QString &expression)
{
    if (!Active()) {
        m_filterText = expression;
        return;
    }
    settle();
    auto parsed = std::make_unique<TFilterExpr>(expression, [this](const QString &n) {
        const TField *f = FindField(n);
        return f ? f->Index() : -1;
    });
    m_filterText = expression;
    m_filter = std::move(parsed);
    if (m_filtered) {
        rebuildView();
        setCurrent(0);
        notify(true);
    }
}

void TDataSet::setFiltered(bool on)
{
    if (!Active()) {
        m_filtered = on;
        return;
    }
    settle();
    m_filtered = on;
    rebuildView();
    setCurrent(0);
    notify(true);
}

void TDataSet::setFilterOptions(TFilterOptions options)
{
    if (options == m_filterOptions)
        return;
    m_filterOptions = options;
    if (Active() && m_filtered) {
        settle();
        rebuildView();
        setCurrent(0);
        notify(true);
    }
}

// ---------------------------------------------------------------- master link

void TDataSet::setMasterSource(TDataSource *source)
{
    if (m_masterConnection)
        disconnect(m_masterConnection);
    m_masterSource = source;
    if (source)
        m_masterConnection = connect(source, &TDataSource::masterRecordChanged, this, &TDataSet::masterChanged);
    masterChanged();
}

void TDataSet::masterChanged()
{
    if (!Active())
        return;
    // The master moved: the detail's pending record belongs to the old master.
    if (m_state == dsEdit || m_state == dsInsert) {
        if (m_modified)
            Post();
        else
            Cancel();
    }
    rebuildView();
    setCurrent(0);
    notify(true);
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark() const
{
    if (!Active() || m_cur < 0)
        return {};
    return {m_records[m_view[m_cur]].id, true};
}

bool TDataSet::BookmarkValid(const TBookmark &bookmark) const
{
    if (!bookmark.valid || !Active())
        return false;
    const int r = findRecordIndex(bookmark.id);
    return r >= 0 && std::find(m_view.begin(), m_view.end(), r) != m_view.end();
}

void TDataSet::GotoBookmark(const TBookmark &bookmark)
{
    CheckBrowseMode();
    const int r = bookmark.valid ? findRecordIndex(bookmark.id) : -1;
    const auto it = std::find(m_view.begin(), m_view.end(), r);
    if (r < 0 || it == m_view.end())
        throw EDatabaseError(QStringLiteral("Kayıt bulunamadı"));
    setCurrent(int(it - m_view.begin()));
    notify(true);
}

int TDataSet::CompareBookmarks(const TBookmark &a, const TBookmark &b) const
{
    if (!a.valid || !b.valid)
        return int(a.valid) - int(b.valid);
    const int ra = findRecordIndex(a.id), rb = findRecordIndex(b.id);
    const auto pa = std::find(m_view.begin(), m_view.end(), ra), pb = std::find(m_view.begin(), m_view.end(), rb);
    const auto da = pa - m_view.begin(), db = pb - m_view.begin();
    return da < db ? -1 : (da > db ? 1 : (ra < rb ? -1 : (ra > rb ? 1 : 0)));
}

// ---------------------------------------------------------------- notifications

void TDataSet::EnableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0)
        notify(true, nullptr, true);
}

void TDataSet::notify(bool data, TField *field, bool state)
{
    if (data)
        emit notifyDetails();
    if (m_disableCount > 0)
        return;
    if (state)
        emit notifyState();
    if (data)
        emit notifyData();
    if (field)
        emit notifyField(field);
}
