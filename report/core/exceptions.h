#pragma once
// Errors of the report engine. Every error is a C++ exception derived from
// EqpError, which is a std::exception, so the application's error handler can
// catch any of them without knowing the engine.

#include <QByteArray>
#include <QString>
#include <exception>

class EqpError : public std::exception {
public:
    explicit EqpError(const QString &message);
    const QString &message() const noexcept { return m_message; }
    // UTF-8 form of the message, kept alive with the exception.
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// An operation the value type cannot perform (empty operand, impossible
// conversion between kinds, overflow of a conversion).
class EVariantError : public EqpError {
public:
    using EqpError::EqpError;
};

// Text that does not convert to a number, integer, date or time.
class EConvertError : public EqpError {
public:
    using EqpError::EqpError;
};

// Integer modulus by zero.
class EDivByZero : public EqpError {
public:
    using EqpError::EqpError;
};

// Malformed expression text, limits of the evaluator, unresolved names.
class EParserError : public EqpError {
public:
    using EqpError::EqpError;
};
