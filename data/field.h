#pragma once
// Fields of a data set: each reads and writes one column of the data set's
// current record and knows how its kind is shown and typed as text.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

class TDataSet;

enum TFieldType { ftString, ftFloat, ftCurrency, ftDate, ftMemo, ftGraphic };
enum TFieldKind { fkData, fkCalculated };

class TField {
public:
    TField(TDataSet *dataSet, const QString &name, TFieldType type, int size, TFieldKind kind);
    virtual ~TField() = default;
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    TDataSet *DataSet() const { return m_dataSet; }
    const QString &FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    TFieldKind FieldKind() const { return m_kind; }
    bool Calculated() const { return m_kind == fkCalculated; }
    int Size() const { return m_size; }
    int Index() const { return m_index; }
    bool IsBlob() const { return m_type == ftMemo || m_type == ftGraphic; }

    QString EditMask;
    QString DisplayLabel; // empty: the field name is shown

    QVariant Value() const;
    void setValue(const QVariant &v);
    bool IsNull() const { return !Value().isValid(); }
    void Clear() { setValue(QVariant()); }

    QString AsString() const { return textOf(Value()); }
    void setAsString(const QString &s) { setValue(parse(s)); }
    double AsFloat() const;
    void setAsFloat(double v);
    QDateTime AsDateTime() const;
    void setAsDateTime(const QDateTime &v);
    QString DisplayText() const { return displayTextOf(Value()); }

    // The conversions between a stored value and its text; the filter and the
    // grid use them on values of records other than the current one.
    virtual QString textOf(const QVariant &v) const;
    virtual QString displayTextOf(const QVariant &v) const { return textOf(v); }
    virtual QVariant parse(const QString &s) const;
    // A value of any kind made fit for this field (cut to size, converted).
    virtual QVariant coerce(const QVariant &v) const;

private:
    friend class TDataSet;
    TDataSet *m_dataSet;
    QString m_name;
    TFieldType m_type;
    int m_size;
    TFieldKind m_kind;
    int m_index = -1;
};

class TStringField : public TField {
public:
    TStringField(TDataSet *ds, const QString &name, int size, TFieldKind kind = fkData)
        : TField(ds, name, ftString, size, kind) {}
    QVariant coerce(const QVariant &v) const override;
};

class TFloatField : public TField {
public:
    TFloatField(TDataSet *ds, const QString &name, TFieldKind kind = fkData, TFieldType type = ftFloat)
        : TField(ds, name, type, 0, kind), Currency(type == ftCurrency) {}
    bool Currency;
    QString textOf(const QVariant &v) const override;
    QString displayTextOf(const QVariant &v) const override;
    QVariant parse(const QString &s) const override;
    QVariant coerce(const QVariant &v) const override;
};

class TCurrencyField : public TFloatField {
public:
    TCurrencyField(TDataSet *ds, const QString &name, TFieldKind kind = fkData)
        : TFloatField(ds, name, kind, ftCurrency) {}
};

class TDateField : public TField {
public:
    TDateField(TDataSet *ds, const QString &name, TFieldKind kind = fkData)
        : TField(ds, name, ftDate, 0, kind) {}
    QString textOf(const QVariant &v) const override;
    QVariant parse(const QString &s) const override;
    QVariant coerce(const QVariant &v) const override;
};

class TBlobField : public TField {
public:
    using TField::TField;
    QByteArray AsBytes() const;
    void setAsBytes(const QByteArray &bytes) { setValue(bytes); }
    void LoadFromFile(const QString &fileName);
    void SaveToFile(const QString &fileName) const;
    QVariant coerce(const QVariant &v) const override;
};

class TMemoField : public TBlobField {
public:
    TMemoField(TDataSet *ds, const QString &name, TFieldKind kind = fkData)
        : TBlobField(ds, name, ftMemo, 0, kind) {}
    QVariant coerce(const QVariant &v) const override;
};

class TGraphicField : public TBlobField {
public:
    TGraphicField(TDataSet *ds, const QString &name, TFieldKind kind = fkData)
        : TBlobField(ds, name, ftGraphic, 0, kind) {}
    QString textOf(const QVariant &) const override { return QString(); }
    QString displayTextOf(const QVariant &v) const override;
};

// Number text in the program's settings: the shortest form that reads back
// exactly (at most 15 significant digits), decimal comma, no grouping.
QString formatFloat(double v);
// Money: grouped thousands, two decimals, the currency suffix.
QString formatCurrency(double v);
