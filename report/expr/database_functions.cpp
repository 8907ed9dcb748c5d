#include "report/expr/database_functions.h"

#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"

namespace {

constexpr int kMsgCategory = 55620, kMsgFieldIsNull = 55621, kMsgLookupSum = 55632, kMsgNoDataSet = 55633;

// Values of different kinds that cannot be compared differ.
bool sameValue(const Variant &a, const Variant &b)
{
    try {
        return Variant::compare(a, b) == 0;
    } catch (const EqpError &) {
        return false;
    }
}

// The sum of a field over the records whose key field holds `key` (all of
// them without a key field). The table is walked with its windows held
// still and comes back to the record it was on, so the band walking it
// goes on undisturbed.
Variant lookupSum(const QString &name, const QString &keyField, const Variant &key)
{
    TDataSet *ds = (qpUseDefaultDataSetName && qpUseDefaultDataSetName() && qpDefaultDataSet) ? qpDefaultDataSet() : nullptr;
    QString field;
    qpGetDataSetAndField(name, ds, field);
    if (!ds)
        throw EqpError(qpLoadStr(kMsgNoDataSet).arg(name));
    if (!ds->Active())
        ds->Open();
    TField *summed = ds->FieldByName(field.isEmpty() ? name : field);
    TField *keyed = keyField.isEmpty() ? nullptr : ds->FieldByName(keyField);
    // Put back by position: a bookmark would be looked up in the whole table.
    const int here = ds->RecNo();
    const bool atEnd = ds->Eof();
    const auto restore = [&] {
        if (here > 0 && here <= ds->RecordCount()) {
            ds->setRecNo(here);
            if (atEnd)
                ds->Next();
        }
        ds->EnableControls();
    };
    ds->DisableControls();
    Variant total = 0;
    try {
        for (ds->First(); !ds->Eof(); ds->Next())
            if (!keyed || sameValue(qpGetFieldValue(keyed), key))
                total = total + qpGetFieldValue(summed);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return total;
}

} // namespace

TDatabaseFunctionLibrary::TDatabaseFunctionLibrary()
{
    List << QStringLiteral("FIELDISNULL") << QStringLiteral("LOOKUPSUM");
    AddFunctionDesc(QStringLiteral("FIELDISNULL"), qpLoadStr(kMsgCategory), qpLoadStr(kMsgFieldIsNull));
    AddFunctionDesc(QStringLiteral("LOOKUPSUM"), qpLoadStr(kMsgCategory), qpLoadStr(kMsgLookupSum));
}

void TDatabaseFunctionLibrary::DoFunction(int functionNo, const Variant &p1, const Variant &p2, const Variant &p3,
                                          Variant &value)
{
    value = 0;
    if (functionNo == 0)
        value = qpFieldIsNull(qpParser->Calc(p1.toString()).toString());
    else if (functionNo == 1)
        value = lookupSum(qpParser->Calc(p1.toString()).toString(),
                          p2.toString().trimmed().isEmpty() ? QString() : qpParser->Calc(p2.toString()).toString(),
                          p3.toString().trimmed().isEmpty() ? Variant() : qpParser->Calc(p3.toString()));
}
