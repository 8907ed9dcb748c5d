#pragma once
// Report data sets: the uniform cursor that bands walk (Init, First, Next
// while not Eof, Exit), with a range that says where the walk starts and
// ends. TqpUserDataset is driven by the application's events or a record
// count; TqpDBDataSet walks a table cursor of the data layer.

#include "report/core/exceptions.h"

#include "data/data_source.h"
#include "data/dataset.h"
#include "data/db_error.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

enum TRangeBegin { rbFirst = 0, rbCurrent = 1 };
enum TRangeEnd { reLast = 0, reCurrent = 1, reCount = 2 };

// A report data set that cannot reach its table.
class EDSError : public EqpError {
public:
    using EqpError::EqpError;
};

class TqpDataset : public QObject {
    Q_OBJECT
public:
    explicit TqpDataset(QObject *owner = nullptr) : QObject(owner) {}

    TRangeBegin RangeBegin = rbFirst;
    TRangeEnd RangeEnd = reLast;
    int RangeEndCount = 0;
    std::function<void(TqpDataset *)> OnFirst, OnNext, OnPrior;
    std::function<void(TqpDataset *, bool &eof)> OnCheckEOF;

    int RecNo() const { return m_recNo; }

    virtual void Init() {}
    virtual void Exit() {}
    virtual void First();
    virtual void Next();
    virtual void Prior();
    virtual bool Eof();

private:
    int m_recNo = 0;
};

class TqpUserDataset : public TqpDataset {
    Q_OBJECT
public:
    using TqpDataset::TqpDataset;
};

// While a band walks the table (from the first Init to the matching Exit)
// the table's controls are disabled, so the windows bound to it neither
// follow nor repaint each record; at the end the operator's record is
// current again and the windows show it once. The walk also ends when the
// data set goes away, however the build ended.
class TqpDBDataSet : public TqpDataset {
    Q_OBJECT
public:
    explicit TqpDBDataSet(QObject *owner = nullptr);
    ~TqpDBDataSet() override;

    // Setting one link clears the other; a link whose component goes away is cleared.
    TDataSet *DataSet() const { return m_dataSet; }
    void setDataSet(TDataSet *dataSet);
    TDataSource *DataSource() const { return m_dataSource; }
    void setDataSource(TDataSource *source);

    bool OpenDataSource = true;
    bool CloseDataSource = false;
    std::function<void(TqpDBDataSet *)> OnOpen, OnClose;

    // The table walked: the data source's, else the direct link; EDSError without either.
    TDataSet *GetDataSet() const;
    void Open();
    void Close();

    void Init() override;
    void Exit() override;
    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() override;

private:
    class Walk;

    QPointer<TDataSet> m_dataSet;
    QPointer<TDataSource> m_dataSource;
    TBookmark m_saved;
    bool m_atSaved = false;
    int m_walkDepth = 0;
    std::unique_ptr<Walk> m_walk;
};
