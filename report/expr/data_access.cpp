#include "report/expr/data_access.h"

#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/names.h"

#include "data/format_settings.h"

#include "report/core/string_table.h"

#include <QApplication>
#include <QIODevice>
#include <QPointer>
#include <QWidget>

std::function<QObject *()> qpReportOwner;
std::function<TDataSet *()> qpDefaultDataSet;
std::function<bool()> qpUseDefaultDataSetName;

namespace {

QList<QPointer<QObject>> &containers()
{
    static QList<QPointer<QObject>> list;
    return list;
}

bool sameName(const QObject *o, const QString &name)
{
    return o && qpSameName(o->objectName(), name);
}

// A component owned by `owner`, at any depth of the ownership tree.
QObject *ownedComponent(QObject *owner, const QString &name)
{
    if (!owner || name.isEmpty())
        return nullptr;
    const QList<QObject *> all = owner->findChildren<QObject *>();
    for (QObject *o : all)
        if (sameName(o, name))
            return o;
    return nullptr;
}

// A window or registered container by name: the global look-up.
QObject *topLevelComponent(const QString &name)
{
    for (const QPointer<QObject> &c : containers())
        if (sameName(c, name))
            return c;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        for (QWidget *w : QApplication::topLevelWidgets())
            if (sameName(w, name))
                return w;
    return nullptr;
}

// Splits at dots from the left; a double quote takes the rest as the last part.
QStringList splitReference(const QString &name, int &dots)
{
    QStringList parts;
    dots = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == QLatin1Char('"')) {
            parts << name.mid(i, 255);
            return parts;
        }
        if (name.at(i) == QLatin1Char('.')) {
            parts << name.mid(start, i - start);
            start = i + 1;
            ++dots;
        }
    }
    if (start < name.size())
        parts << name.mid(start);
    return parts;
}

} // namespace

void qpRegisterContainer(QObject *container)
{
    if (container && !containers().contains(container))
        containers().append(container);
}

void qpUnregisterContainer(QObject *container) { containers().removeAll(container); }

QObject *qpFindComponent(QObject *owner, const QString &name)
{
    try {
        if (!name.contains(QLatin1Char('.')))
            return ownedComponent(owner, name);
        const QStringList parts = name.split(QLatin1Char('.'));
        QObject *c = topLevelComponent(parts[0]);
        for (qsizetype i = 1; c && i < parts.size() && i < 3; ++i)
            c = ownedComponent(c, parts[i]);
        return c;
    } catch (const std::exception &) {
        throw EqpError(QStringLiteral("Missing ") + name);
    }
}

void qpGetComponents(QObject *owner, const QMetaObject &cls, QStringList &list, QObject *skip)
{
    list.clear();
    QList<QObject *> searched{owner};
    for (const QPointer<QObject> &c : containers())
        searched << c.data();
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        for (QWidget *w : QApplication::topLevelWidgets())
            searched << w;
    QList<QObject *> seen;
    for (QObject *container : std::as_const(searched)) {
        if (!container || container == skip || seen.contains(container))
            continue;
        seen << container;
        const QString prefix = container == owner ? QString() : container->objectName() + QLatin1Char('.');
        if (!prefix.isEmpty() && container->objectName().isEmpty())
            continue; // nothing could name a component of an unnamed window
        for (QObject *o : container->findChildren<QObject *>())
            if (o != skip && !o->objectName().isEmpty() && o->metaObject()->inherits(&cls))
                list << prefix + o->objectName();
    }
    list.sort(Qt::CaseInsensitive);
}

TDataSet *qpGetDataSet(const QString &name)
{
    return qobject_cast<TDataSet *>(qpFindComponent(qpReportOwner ? qpReportOwner() : nullptr, name));
}

void qpGetDataSetAndField(const QString &name, TDataSet *&dataSet, QString &field)
{
    field.clear();
    int dots = 0;
    const QStringList parts = splitReference(name, dots);
    const bool endsWithDot = name.endsWith(QLatin1Char('.'));
    QString last;
    switch (dots) {
    case 0:
        last = name;
        break;
    case 1:
        dataSet = qpGetDataSet(parts.value(0));
        last = parts.value(1);
        break;
    case 2:
        dataSet = qobject_cast<TDataSet *>(qpFindComponent(nullptr, parts.value(0) + QLatin1Char('.') + parts.value(1)));
        last = parts.value(2);
        break;
    case 3:
        dataSet = qobject_cast<TDataSet *>(
            qpFindComponent(nullptr, parts.value(0) + QLatin1Char('.') + parts.value(1) + QLatin1Char('.') + parts.value(2)));
        last = parts.value(3);
        break;
    default:
        return;
    }
    if (endsWithDot && dots > 0)
        last.clear();
    last = qpRemoveQuotes(last);
    if (dataSet && !last.isEmpty()) {
        QStringList names;
        qpGetFieldNames(dataSet, names);
        for (const QString &n : names)
            if (qpSameName(n, last))
                field = n;
    }
}

Variant qpGetFieldValue(TField *field)
{
    TDataSet *ds = field->DataSet();
    if (!ds->Active())
        ds->Open();
    const QVariant v = field->Value();
    if (!v.isValid()) {
        // Expressions never meet Null from a field; the value still prints
        // as nothing, not as 0 or 30.12.1899.
        switch (field->DataType()) {
        case ftString:
        case ftMemo: return Variant::blank(Variant(QString()));
        default: return Variant::blank(Variant(0));
        }
    }
    switch (field->DataType()) {
    case ftFloat:
    case ftCurrency: return Variant(v.toDouble());
    case ftDate: return Variant::fromDateTime(qpEncodeDateTime(v.toDate(), QTime(0, 0)));
    case ftGraphic: return Variant(QString::fromLatin1(v.toByteArray()));
    default: return Variant(v.toString());
    }
}

bool qpFieldIsNull(const QString &name)
{
    TDataSet *ds = (qpUseDefaultDataSetName && qpUseDefaultDataSetName() && qpDefaultDataSet) ? qpDefaultDataSet() : nullptr;
    QString field;
    qpGetDataSetAndField(name, ds, field);
    if (!ds)
        return true;
    // An unresolved field name is the data layer's field-not-found error.
    return ds->FieldByName(field)->IsNull();
}

bool qpIsDataSet(QObject *component) { return qobject_cast<TDataSet *>(component) != nullptr; }

bool qpIsBlob(const TField *field) { return field && field->IsBlob(); }

void qpAssignBlobTo(TField *field, QStringList &lines)
{
    auto *blob = dynamic_cast<TBlobField *>(field);
    QString text = blob ? QString::fromUtf8(blob->AsBytes()) : field->AsString();
    text.remove(QLatin1Char('\r'));
    lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void qpAssignBlobTo(TField *field, QByteArray &bytes)
{
    auto *blob = dynamic_cast<TBlobField *>(field);
    bytes = blob ? blob->AsBytes() : field->AsString().toUtf8();
}

void qpAssignBlobTo(TField *field, QIODevice &stream)
{
    QByteArray bytes;
    qpAssignBlobTo(field, bytes);
    stream.write(bytes);
    stream.seek(0);
}

void qpGetFieldNames(TDataSet *dataSet, QStringList &names)
{
    names.clear();
    try {
        if (!dataSet->Active())
            dataSet->Open();
        names = dataSet->FieldNames();
    } catch (const std::exception &) {
        // The list stays as far as it got.
    }
}

TBookmark qpGetBookmark(TDataSet *dataSet) { return dataSet->GetBookmark(); }
void qpGotoBookmark(TDataSet *dataSet, const TBookmark &bookmark) { dataSet->GotoBookmark(bookmark); }
void qpFreeBookmark(TDataSet *dataSet, TBookmark &bookmark) { dataSet->FreeBookmark(bookmark); }
bool qpIsBookmarksEqual(TDataSet *dataSet, const TBookmark &a, const TBookmark &b)
{
    return dataSet->CompareBookmarks(a, b) == 0;
}

double qpStrToFloat(const QString &text)
{
    QString s = text;
    const QChar sep = formatSettings().DecimalSeparator;
    for (QChar &c : s)
        if (c == QLatin1Char(',') || c == QLatin1Char('.'))
            c = sep;
    double v = 0;
    if (!qpTryStrToFloat(s.trimmed(), sep, v))
        throw EConvertError(qpLoadStr(qpMsgInvalidFloat).arg(text));
    return v;
}

QString qpRemoveQuotes(const QString &text)
{
    if (text.size() > 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

void qpSetCommaText(const QString &text, QStringList &list)
{
    list.clear();
    if (text.isEmpty())
        return;
    list = text.split(QLatin1Char(';'));
    if (text.endsWith(QLatin1Char(';')))
        list.removeLast();
}
