#pragma once
// The band side of the aggregate functions (SUM, MIN, MAX, AVG, COUNT).
// While the band engine registers aggregates, a call found in a footer adds
// its key to the table of the data band it sums over (the target band) and
// links the footer to that band; while building, a call reads the running
// value for its key from the band its own band is linked to.
//
// Key: fields each followed by the character 1 - location (the name of the
// band the call stands in), function code, expression text, count-invisible
// text. A footer with cross-tab cells (not a cross footer) registers one more
// field first, "0", which the band engine replaces by column numbers.

#include "report/expr/std_functions.h"

// Installed as qpOnAggregate with the model's globals.
void qpBandAggregate(const TqpAggregateCall &call, Variant &value);
