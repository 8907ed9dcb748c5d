#pragma once
// The database function library: FIELDISNULL(name) tells whether a table
// field of the report's data is null; LOOKUPSUM(name, keyField, value) sums
// a table field over the records whose key field holds the value, such as
// one member's dues of one year. Names are expressions that yield the
// field's name, usually a quoted 'Table1.Field'.

#include "report/expr/function_library.h"

class TDatabaseFunctionLibrary : public TqpFunctionLibrary {
public:
    static constexpr const char *LibraryClassName = "TDatabaseFunctionLibrary";

    TDatabaseFunctionLibrary();

    QString ClassName() const override { return QLatin1String(LibraryClassName); }
    void DoFunction(int functionNo, const Variant &p1, const Variant &p2, const Variant &p3,
                    Variant &value) override;
};
