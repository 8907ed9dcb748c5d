#pragma once
// TqpDataDictionary: the report's variables in categories, the display
// aliases of data sets and fields, the aliases of band data sources, the
// data sets the designer's lists leave out, and a cache of names already
// resolved to table fields. Name resolution asks it first for every name of
// an expression (IsVariable, GetValue).
//
// The stream section is part of the template format and is written with it:
// LoadFromStream, SaveToStream, LoadFromFile and SaveToFile are defined in
// report/model/dictionary_stream.cpp, next to the stream primitives.

#include "report/expr/variables.h"

#include "data/dataset.h"

#include <QIODevice>
#include <QMap>
#include <QPointer>
#include <QStringList>

class TqpDataDictionary {
public:
    // The report the dictionary belongs to; its owner is where the designer
    // lists look for data sets. Without one they use the current report's.
    explicit TqpDataDictionary(QObject *report = nullptr) : m_report(report) {}

    // Insertion order. An entry whose name starts with a blank is a category
    // (the rest is its name); the variables follow it up to the next one.
    // A variable's value is the expression text, often a field reference.
    TqpVariables Variables;
    // Data set name, or data set "." field, to the name shown for it; an
    // empty value hides the field.
    TqpVariables FieldAliases;
    // Band data source component name to the name shown for it.
    TqpVariables BandDatasources;
    // Data sets the lists leave out; "Name*" hides every name starting with Name.
    QStringList DisabledDatasets;

    // Empties the three stored lists.
    void Clear();
    bool IsVariable(const QString &name);
    Variant GetValue(const QString &name);
    bool DatasetEnabled(const QString &name) const;
    QString GetRealDataSetName(const QString &alias) const;
    QString GetRealDataSourceName(const QString &alias) const;
    QString GetRealFieldName(const QString &alias) const;
    QString GetAliasName(const QString &name) const;
    // Splits at the last dot outside double quotes; the field part loses its
    // enclosing quotes. Without such a dot the data set part is empty.
    static void ExtractFieldName(const QString &text, QString &dataSet, QString &field);

    // Designer lists.
    void GetDatasetList(QStringList &list) const;
    void GetFieldList(const QString &dataSet, QStringList &list) const;
    void GetBandDatasourceList(QStringList &list) const;
    void GetCategoryList(QStringList &list) const;
    void GetVariablesList(const QString &category, QStringList &list) const;

    void ClearCache() { m_cache.clear(); }
    void AddCacheItem(const QString &name, TDataSet *dataSet, const QString &fieldName);
    // The data set and field a cached name stands for; false when the name is
    // not cached or its data set has gone.
    bool FindCacheItem(const QString &name, TDataSet *&dataSet, QString &fieldName) const;

    // The template's dictionary section (version byte 25 first in .qpd files).
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream) const;
    void LoadFromFile(const QString &fileName);
    void SaveToFile(const QString &fileName) const;

    // What loading does after reading the lists: older data marked the
    // variables with a leading blank instead of the categories, and a checked
    // section drops aliases and band sources that stand for nothing.
    void MarkCategories();
    void DropUnusedAliases();

private:
    struct CacheItem {
        QPointer<TDataSet> dataSet;
        QString fieldName;
    };
    QObject *owner() const;
    // The field a reference stands for, starting from the default data set.
    bool resolveField(const QString &reference, TDataSet *&dataSet, QString &field) const;

    QObject *m_report;
    QMap<QString, CacheItem> m_cache; // by the name's key (qpNameKey), so sorted without regard to case
};
