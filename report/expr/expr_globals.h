#pragma once
// Process-wide state of the expression subsystem, declared together so it is
// easy to see. Created once at start-up (qpInitExpressionGlobals) with the
// other engine globals and destroyed at exit (qpDoneExpressionGlobals).

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
// Named constants (sorted).
extern TqpVariables *qpConsts;

// Idempotent; the interpreter is the plain base until the report replaces it.
void qpInitExpressionGlobals();
void qpDoneExpressionGlobals();
