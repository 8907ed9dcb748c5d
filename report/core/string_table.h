#pragma once
// The engine's message table. Every text the engine shows is looked up here
// by id, so translations and wording live in one place.

#include <QString>

// Ids of messages the engine code refers to by name. Ids 53000 and up are the
// program's own message numbers; 59000 and up are messages of this engine
// that had no number of their own (compile messages, value-type and parser
// errors).
enum qpMessageId : int {
    qpMsgUnknownName = 55439,

    qpMsgNeedSemicolonOrEnd = 59001,
    qpMsgNeedThen = 59002,
    qpMsgNeedSemicolonOrUntil = 59003,
    qpMsgNeedDo = 59004,
    qpMsgNeedTo = 59005,
    qpMsgGotoLabelNumber = 59006,
    qpMsgNeedAssign = 59007,
    qpMsgNeedCloseParen = 59008,
    qpMsgNeedCloseBracket = 59009,
    qpMsgNeedCommaOrParen = 59010,

    qpMsgInvalidVariantOp = 59100,
    qpMsgVariantTypeCast = 59101,  // %1 source kind, %2 target kind
    qpMsgInvalidFloat = 59102,     // %1 text
    qpMsgInvalidInteger = 59103,   // %1 text
    qpMsgInvalidDate = 59104,      // %1 text
    qpMsgInvalidTime = 59105,      // %1 text
    qpMsgDivByZero = 59106,
    qpMsgVariantOverflow = 59107,

    qpMsgUnterminatedString = 59120,   // %1 expression
    qpMsgUnbalancedArguments = 59121,  // %1 expression
    qpMsgUnterminatedBracket = 59122,  // %1 expression
    qpMsgStackOverflow = 59123,
    qpMsgMissingOperand = 59124,
    qpMsgNestedTooDeep = 59125,

    qpMsgScriptTooLong = 59130,
    qpMsgTooManyLabels = 59131,
    qpMsgTooManyLines = 59132,
    qpMsgScriptNestedTooDeep = 59133,
};

// The text of message id (at most 1024 characters). An id that the table
// does not hold gives "[message <id>]" so a missing entry is visible but
// never fatal.
QString qpLoadStr(int id);
// Whether the table holds message id.
bool qpHasStr(int id);
