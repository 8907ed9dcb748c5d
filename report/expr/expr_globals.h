#pragma once
// Process-wide state of the expression subsystem, declared together so it is
// easy to see. Created once at start-up (qpInitExpressionGlobals) with the
// other engine globals and destroyed at exit (qpDoneExpressionGlobals).

#include <QStringList>
#include <QtGlobal>

class TqpParser;
class TqpInterpretator;
class TqpVariables;

// The parser the whole engine evaluates with; the report installs its name
// and function resolvers before it prepares.
extern TqpParser *qpParser;
// The report's script interpreter.
extern TqpInterpretator *qpInterpretator;
// The report's free variables (sorted).
extern TqpVariables *qpVariables;
// Named constants (sorted): colours, dialog results, font styles, frame
// sides, alignments, line styles, message box flags, CRLF and Null.
extern TqpVariables *qpConsts;

// Display format tables, read from the string table: date pictures by
// variant (0-3), time pictures by variant (0-3), Boolean words "false;true".
extern QStringList qpDateFormats, qpTimeFormats, qpBoolFormats;

// The named colours in the order the colour pickers list them, and their
// values: the sixteen basic colours, no colour, then the system colours.
constexpr int qpColorCount = 42;
extern const char *const qpColorNames[qpColorCount];
extern const quint32 qpColors[qpColorCount];

// Built-in variable names; the older dictionary layout refers to them by
// index, the second slot being empty.
constexpr int qpSpecFuncCount = 20;
extern const char *const qpSpecFuncs[qpSpecFuncCount];

// Idempotent; the interpreter is the plain base until the report replaces it.
// Registers the standard and the database function library (unregistered
// in the same order when done); until a report connects itself, the
// parser's function callback offers calls to the libraries alone.
void qpInitExpressionGlobals();
// Reads the format tables again (after the string table changed language).
void qpLoadFormatTables();
void qpDoneExpressionGlobals();
