#pragma once
// The standard function library: text, date, number, dialog and aggregate
// functions, with the descriptions of every function the designer lists
// (those the parser and the report evaluate themselves included).
//
// Arguments arrive as source texts; a function evaluates what it needs with
// qpParser. A missing argument is an empty text, which evaluates to 0.

#include "report/expr/function_library.h"

// Function codes of the aggregates, as aggregate keys carry them.
enum TqpAggregateCode : int {
    qpAggSum = 11,
    qpAggMin = 12,
    qpAggMax = 13,
    qpAggAvg = 14,
    qpAggCount = 15,
};

// An aggregate call as written: for COUNT the band name stands in the
// expression's place and its second argument is the count-invisible text.
struct TqpAggregateCall {
    TqpAggregateCode Code = qpAggSum;
    QString Expression;
    QString BandName;
    QString CountInvisible;
};

// The band side of the aggregates: registration during the band engine's
// registration pass, the accumulated value while building. The document
// model installs it with its globals; without it an aggregate reads "0".
extern std::function<void(const TqpAggregateCall &call, Variant &value)> qpOnAggregate;

class TqpStdFunctionLibrary : public TqpFunctionLibrary {
public:
    static constexpr const char *LibraryClassName = "TqpStdFunctionLibrary";

    // Fills List in function-number order and registers the descriptions.
    TqpStdFunctionLibrary();

    QString ClassName() const override { return QLatin1String(LibraryClassName); }
    // Sets the result to the string "0" first.
    void DoFunction(int functionNo, const Variant &p1, const Variant &p2, const Variant &p3,
                    Variant &value) override;
};
