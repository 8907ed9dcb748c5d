#pragma once
// Variant: the value of every expression, variable, property, field and
// function result of the report engine.
//
// Kinds: empty (never assigned), Null, 32-bit integer, real, currency (fixed
// point with four decimals, stored as the value times 10000), string,
// Boolean and date-time (days since 30 December 1899, time as the fraction).
//
// Arithmetic: an empty operand raises EVariantError; otherwise Null on either
// side gives Null. Integer op integer stays integer, an overflowing sum,
// difference or product becomes real. "/" always gives a real. String +
// string concatenates; any other operation with a string converts the string
// to a real (EConvertError when it is no number). Modulus, and, or work
// bitwise on integers (reals rounded) and and/or logically on two Booleans.
// True counts as -1. Date-time plus or minus a number is a date-time.
//
// Comparison: Null equals Null and is less than anything else; numbers
// numerically; a string against a number as numbers; two strings byte by
// byte in the Turkish code page, case significant, a prefix being less; false
// is less than true.

#include <QString>
#include <cstdint>

class Variant {
public:
    enum Kind : uint8_t { Empty, Null, Integer, Real, Currency, String, Boolean, DateTime };

    Variant() noexcept : m_kind(Empty), m_i64(0) {}
    Variant(int v) noexcept : m_kind(Integer), m_i64(0) { m_i32 = v; }
    Variant(double v) noexcept : m_kind(Real), m_i64(0) { m_real = v; }
    Variant(bool v) noexcept : m_kind(Boolean), m_i64(0) { m_bool = v; }
    Variant(const QString &s) : m_kind(String), m_i64(0), m_str(s) {}
    Variant(QString &&s) noexcept : m_kind(String), m_i64(0), m_str(std::move(s)) {}
    Variant(const char *) = delete;  // say QStringLiteral, so the encoding is explicit

    static Variant null() { Variant v; v.m_kind = Null; return v; }
    static Variant fromCurrencyScaled(int64_t scaled) { Variant v; v.m_kind = Currency; v.m_i64 = scaled; return v; }
    // Rounds to four decimals, halves to even; EVariantError when out of range.
    static Variant fromCurrency(double value);
    static Variant fromDateTime(double days) { Variant v; v.m_kind = DateTime; v.m_real = days; return v; }
    // A field with no value: it computes as the given zero or empty text,
    // but prints as nothing. Every computed result is an ordinary value, so
    // [Field] of a blank field prints blank while [Field + 0] prints 0.
    static Variant blank(Variant zero) { zero.m_blank = true; return zero; }

    Kind kind() const noexcept { return m_kind; }
    bool isEmpty() const noexcept { return m_kind == Empty; }
    bool isNull() const noexcept { return m_kind == Null; }
    bool isString() const noexcept { return m_kind == String; }
    bool isBlank() const noexcept { return m_blank; }
    // Integer, real, currency, Boolean or date-time.
    bool isNumeric() const noexcept { return m_kind >= Integer && m_kind != String; }

    // Raw access; valid only for the matching kind.
    int32_t integerValue() const noexcept { return m_i32; }
    double realValue() const noexcept { return m_real; }
    int64_t currencyScaled() const noexcept { return m_i64; }
    bool booleanValue() const noexcept { return m_bool; }
    const QString &stringValue() const noexcept { return m_str; }

    // Conversions. Empty converts to 0, false and ""; Null to "" as text and
    // raises EVariantError as a number; strings convert as text (EConvertError).
    double toReal() const;
    int32_t toInt() const;          // reals rounded, halves to even
    int64_t toCurrencyScaled() const;
    bool toBool() const;            // numbers: non-zero; strings: True/False or a number
    double toDateTime() const;      // strings: date, time or both
    QString toString() const;       // the value's string form

    // Kind name as the engine's tools print it: "Empty", "Null", "Integer",
    // "Double", "Currency", "String", "Boolean", "Date".
    static const char *kindName(Kind k);

    Variant operator-() const;
    friend Variant operator+(const Variant &a, const Variant &b);
    friend Variant operator-(const Variant &a, const Variant &b);
    friend Variant operator*(const Variant &a, const Variant &b);
    friend Variant operator/(const Variant &a, const Variant &b);
    // Integer modulus (EDivByZero by zero), bitwise/logical and and or.
    friend Variant vMod(const Variant &a, const Variant &b);
    friend Variant vAnd(const Variant &a, const Variant &b);
    friend Variant vOr(const Variant &a, const Variant &b);

    // <0, 0 or >0 after the ordering above; EVariantError on an empty value.
    static int compare(const Variant &a, const Variant &b);
    friend bool operator==(const Variant &a, const Variant &b) { return compare(a, b) == 0; }
    friend bool operator<(const Variant &a, const Variant &b) { return compare(a, b) < 0; }

    // Same kind and same content; no conversion, no error (for tests and lists).
    bool identical(const Variant &other) const;

private:
    Kind m_kind;
    bool m_blank = false;
    union {
        int32_t m_i32;
        double m_real;
        int64_t m_i64;
        bool m_bool;
    };
    QString m_str;
};
