#include "report/expr/report_dataset.h"

#include <QScopeGuard>

void TqpDataset::First()
{
    m_recNo = 0;
    if (OnFirst)
        OnFirst(this);
}

void TqpDataset::Next()
{
    ++m_recNo;
    if (OnNext && !(RangeEnd == reCount && m_recNo >= RangeEndCount))
        OnNext(this);
}

void TqpDataset::Prior()
{
    --m_recNo;
    if (OnPrior)
        OnPrior(this);
}

bool TqpDataset::Eof()
{
    bool eof = RangeEnd == reCount && m_recNo >= RangeEndCount;
    if (OnCheckEOF)
        OnCheckEOF(this, eof);
    return eof;
}

// The table's controls kept still for the length of a walk, and the record
// that was current before it made current again afterwards.
class TqpDBDataSet::Walk {
public:
    explicit Walk(TDataSet *table) : m_table(table)
    {
        m_table->DisableControls();
        m_home = m_table->GetBookmark();
    }
    ~Walk()
    {
        if (!m_table)
            return;
        try {
            // The record may have been deleted or filtered away meanwhile.
            if (m_table->Active() && m_table->BookmarkValid(m_home))
                m_table->GotoBookmark(m_home);
        } catch (const std::exception &) {
            // The cursor stays where the walk left it; the controls come back all the same.
        }
        m_table->EnableControls();
    }
    Walk(const Walk &) = delete;
    Walk &operator=(const Walk &) = delete;

private:
    QPointer<TDataSet> m_table;
    TBookmark m_home;
};

TqpDBDataSet::TqpDBDataSet(QObject *owner) : TqpDataset(owner) {}

TqpDBDataSet::~TqpDBDataSet() = default;

void TqpDBDataSet::setDataSet(TDataSet *dataSet)
{
    m_dataSet = dataSet;
    if (dataSet)
        m_dataSource = nullptr;
}

void TqpDBDataSet::setDataSource(TDataSource *source)
{
    m_dataSource = source;
    if (source)
        m_dataSet = nullptr;
}

TDataSet *TqpDBDataSet::GetDataSet() const
{
    if (m_dataSource && m_dataSource->DataSet())
        return m_dataSource->DataSet();
    if (m_dataSet)
        return m_dataSet;
    throw EDSError(QStringLiteral("Unable to open dataset ") + objectName());
}

void TqpDBDataSet::Open()
{
    if (OpenDataSource)
        GetDataSet()->Open();
    if (OnOpen)
        OnOpen(this);
}

void TqpDBDataSet::Close()
{
    if (OnClose)
        OnClose(this);
    if (CloseDataSource)
        GetDataSet()->Close();
}

void TqpDBDataSet::Init()
{
    Open();
    TDataSet *ds = GetDataSet();
    // A pending record is settled before its place is remembered: a new one
    // has no place until it is posted.
    if (ds->Active())
        ds->CheckBrowseMode();
    m_saved = (RangeBegin == rbCurrent || RangeEnd == reCurrent) ? ds->GetBookmark() : TBookmark();
    m_atSaved = false;
    if (m_walkDepth++ == 0)
        m_walk = std::make_unique<Walk>(ds);
}

void TqpDBDataSet::Exit()
{
    // However going back or closing ends, the walk ends with this Exit.
    const auto endWalk = qScopeGuard([this] {
        if (m_walkDepth > 0 && --m_walkDepth == 0)
            m_walk.reset();
    });
    if (m_saved.valid) {
        TDataSet *ds = GetDataSet();
        // The saved record may have been deleted or filtered away meanwhile.
        if (ds->BookmarkValid(m_saved))
            ds->GotoBookmark(m_saved);
        ds->FreeBookmark(m_saved);
    }
    Close();
}

void TqpDBDataSet::First()
{
    if (RangeBegin == rbFirst)
        GetDataSet()->First();
    else if (m_saved.valid && GetDataSet()->BookmarkValid(m_saved))
        GetDataSet()->GotoBookmark(m_saved);
    m_atSaved = false;
    TqpDataset::First();
}

void TqpDBDataSet::Next()
{
    m_atSaved = false;
    if (RangeEnd == reCurrent) {
        TDataSet *ds = GetDataSet();
        if (ds->CompareBookmarks(ds->GetBookmark(), m_saved) == 0) {
            m_atSaved = true;
            return;
        }
        // Short of the saved record the walk goes on.
    }
    GetDataSet()->Next();
    TqpDataset::Next();
}

void TqpDBDataSet::Prior()
{
    GetDataSet()->Prior();
    TqpDataset::Prior();
}

bool TqpDBDataSet::Eof()
{
    return TqpDataset::Eof() || GetDataSet()->Eof() || m_atSaved;
}
