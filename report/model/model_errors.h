#pragma once
// Errors of the document model: the class-not-found error of the object
// registry, the list-index error of text lists, and the errors of reading and
// writing object records.

#include "report/core/exceptions.h"

// Ids of the document model's own messages (engine messages without a
// number of their own live from 59000 on).
enum qpModelMessageId : int {
    qpMsgListIndex = 59201,       // %1 index
    qpMsgStreamRead = 59202,
    qpMsgNotInCodePage = 59203,   // %1 character, %2 text
    qpMsgStringTooLong = 59204,   // %1 byte count
    qpMsgTooManyAddIns = 59205,
    qpMsgInvalidGraphic = 59220,  // %1 graphic format
    qpMsgPictureFile = 59221,     // %1 file name
    qpMsgStreamTooLong = 59222,
};

// A registered class was asked for by a name nobody registered; the message
// is the list of missing names gathered in ErrorStr.
class EClassNotFound : public EqpError {
public:
    using EqpError::EqpError;
};

// Bytes that hold no graphic of the kind expected, or a picture file that
// cannot be read.
class EInvalidGraphic : public EqpError {
public:
    using EqpError::EqpError;
};

// A line number outside a text list.
class EListError : public EqpError {
public:
    using EqpError::EqpError;
};

// A stream ended inside a record.
class EReadError : public EqpError {
public:
    using EqpError::EqpError;
};

// A value the stored form cannot carry: a character outside the Turkish code
// page, a string longer than its 16-bit length allows.
class EWriteError : public EqpError {
public:
    using EqpError::EqpError;
};
