#include "report/core/variant.h"

#include "data/format_settings.h"
#include "report/core/code_page.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"

#include <climits>
#include <cmath>

namespace {

[[noreturn]] void invalidOp()
{
    throw EVariantError(qpLoadStr(qpMsgInvalidVariantOp));
}

[[noreturn]] void typeCastError(Variant::Kind from, Variant::Kind to)
{
    throw EVariantError(qpLoadStr(qpMsgVariantTypeCast)
                            .arg(QLatin1String(Variant::kindName(from)), QLatin1String(Variant::kindName(to))));
}

// Text that is no number may still be a Boolean word; True counts as -1.
double stringToReal(const QString &s)
{
    double v;
    if (qpTryStrToFloat(s, formatSettings().DecimalSeparator, v))
        return v;
    const QString t = s.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return -1;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return 0;
    throw EConvertError(qpLoadStr(qpMsgInvalidFloat).arg(s));
}

// The operands of an arithmetic operation after strings were turned into
// reals and Booleans into integers.
enum class NumKind { Int, Cur, Real, Date };

struct Num {
    NumKind kind;
    int64_t i;  // Int (as 64-bit) and Cur (scaled)
    double r;   // Real and Date
};

Num toNum(const Variant &v)
{
    switch (v.kind()) {
    case Variant::Integer: return {NumKind::Int, v.integerValue(), 0};
    case Variant::Boolean: return {NumKind::Int, v.booleanValue() ? -1 : 0, 0};
    case Variant::Currency: return {NumKind::Cur, v.currencyScaled(), 0};
    case Variant::Real: return {NumKind::Real, 0, v.realValue()};
    case Variant::DateTime: return {NumKind::Date, 0, v.realValue()};
    case Variant::String: return {NumKind::Real, 0, stringToReal(v.stringValue())};
    default: invalidOp();
    }
}

double asReal(const Num &n)
{
    switch (n.kind) {
    case NumKind::Int: return double(n.i);
    case NumKind::Cur: return double(n.i) / 10000.0;
    default: return n.r;
    }
}

// Scaled currency of an operand; false when a real does not fit.
bool asCurrency(const Num &n, int64_t &out)
{
    switch (n.kind) {
    case NumKind::Int: return !__builtin_mul_overflow(n.i, int64_t(10000), &out);
    case NumKind::Cur: out = n.i; return true;
    default: {
        const double x = qpRoundHalfEven(n.r * 10000.0);
        if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0))
            return false;
        out = int64_t(x);
        return true;
    }
    }
}

enum class Op { Add, Sub, Mul };

double realOp(Op op, double a, double b)
{
    switch (op) {
    case Op::Add: return a + b;
    case Op::Sub: return a - b;
    default: return a * b;
    }
}

Variant arith(Op op, const Variant &a, const Variant &b)
{
    if (a.isEmpty() || b.isEmpty())
        invalidOp();
    if (a.isNull() || b.isNull())
        return Variant::null();
    if (op == Op::Add && a.isString() && b.isString())
        return Variant(a.stringValue() + b.stringValue());
    const Num x = toNum(a), y = toNum(b);
    if (x.kind == NumKind::Date || y.kind == NumKind::Date) {
        const double r = realOp(op, asReal(x), asReal(y));
        // A date-time moved by a number stays a date-time; the distance of two
        // date-times and any product are plain numbers.
        if (op == Op::Mul || (x.kind == NumKind::Date && y.kind == NumKind::Date && op == Op::Sub))
            return Variant(r);
        return Variant::fromDateTime(r);
    }
    if (x.kind == NumKind::Cur || y.kind == NumKind::Cur) {
        int64_t cx, cy, r;
        if (asCurrency(x, cx) && asCurrency(y, cy)) {
            bool overflow;
            if (op == Op::Add) {
                overflow = __builtin_add_overflow(cx, cy, &r);
            } else if (op == Op::Sub) {
                overflow = __builtin_sub_overflow(cx, cy, &r);
            } else {
                // Product of two scaled values carries the scale twice.
                const __int128 p = __int128(cx) * cy;
                __int128 q = p / 10000;
                const __int128 rem = p % 10000;
                const __int128 twice = (rem < 0 ? -rem : rem) * 2;
                if (twice > 10000 || (twice == 10000 && (q % 2) != 0))
                    q += p < 0 ? -1 : 1;
                overflow = q > INT64_MAX || q < INT64_MIN;
                r = int64_t(q);
            }
            if (!overflow)
                return Variant::fromCurrencyScaled(r);
        }
        return Variant(realOp(op, asReal(x), asReal(y)));
    }
    if (x.kind == NumKind::Real || y.kind == NumKind::Real)
        return Variant(realOp(op, asReal(x), asReal(y)));
    int64_t r = 0;
    switch (op) {
    case Op::Add: r = x.i + y.i; break;
    case Op::Sub: r = x.i - y.i; break;
    case Op::Mul: r = x.i * y.i; break;  // both within 32 bits, cannot overflow 64
    }
    if (r < INT32_MIN || r > INT32_MAX)
        return Variant(double(r));
    return Variant(int(r));
}

// Integer operand of mod/and/or: reals round, strings convert through real.
int32_t bitOperand(const Variant &v)
{
    switch (v.kind()) {
    case Variant::Integer: return v.integerValue();
    case Variant::Boolean: return v.booleanValue() ? -1 : 0;
    case Variant::Currency: return qpRound(double(v.currencyScaled()) / 10000.0);
    case Variant::Real:
    case Variant::DateTime: return qpRound(v.realValue());
    case Variant::String: return qpRound(stringToReal(v.stringValue()));
    default: invalidOp();
    }
}

}  // namespace

Variant Variant::fromCurrency(double value)
{
    return fromCurrencyScaled(qpRound64(value * 10000.0));
}

const char *Variant::kindName(Kind k)
{
    switch (k) {
    case Empty: return "Empty";
    case Null: return "Null";
    case Integer: return "Integer";
    case Real: return "Double";
    case Currency: return "Currency";
    case String: return "String";
    case Boolean: return "Boolean";
    case DateTime: return "Date";
    }
    return "Unknown";
}

double Variant::toReal() const
{
    switch (m_kind) {
    case Empty: return 0;
    case Null: typeCastError(Null, Real);
    case Integer: return m_i32;
    case Real:
    case DateTime: return m_real;
    case Currency: return double(m_i64) / 10000.0;
    case Boolean: return m_bool ? -1 : 0;
    case String: return stringToReal(m_str);
    }
    return 0;
}

int32_t Variant::toInt() const
{
    switch (m_kind) {
    case Empty: return 0;
    case Null: typeCastError(Null, Integer);
    case Integer: return m_i32;
    case Boolean: return m_bool ? -1 : 0;
    default: return qpRound(toReal());
    }
}

int64_t Variant::toCurrencyScaled() const
{
    switch (m_kind) {
    case Empty: return 0;
    case Null: typeCastError(Null, Currency);
    case Currency: return m_i64;
    case Integer: return int64_t(m_i32) * 10000;
    case Boolean: return m_bool ? -10000 : 0;
    default: return qpRound64(toReal() * 10000.0);
    }
}

bool Variant::toBool() const
{
    switch (m_kind) {
    case Empty: return false;
    case Null: typeCastError(Null, Boolean);
    case Boolean: return m_bool;
    case Integer: return m_i32 != 0;
    case Currency: return m_i64 != 0;
    default: return toReal() != 0;
    }
}

double Variant::toDateTime() const
{
    switch (m_kind) {
    case Empty: return 0;
    case Null: typeCastError(Null, DateTime);
    case String: {
        double v;
        if (qpTryStrToDateTime(m_str, v))
            return v;
        return toReal();
    }
    default: return toReal();
    }
}

QString Variant::toString() const
{
    switch (m_kind) {
    case Empty:
    case Null: return QString();
    case Integer: return QString::number(m_i32);
    case Real: return qpFloatToStr(m_real);
    case Currency: return qpCurrToStr(m_i64);
    case String: return m_str;
    case Boolean: return m_bool ? QStringLiteral("True") : QStringLiteral("False");
    case DateTime: return qpDateTimeToStr(m_real);
    }
    return QString();
}

Variant Variant::operator-() const
{
    switch (m_kind) {
    case Empty: invalidOp();
    case Null: return null();
    case Integer:
        if (m_i32 == INT32_MIN)
            return Variant(-double(m_i32));
        return Variant(int(-m_i32));
    case Boolean: return Variant(m_bool ? 1 : 0);
    case Real: return Variant(-m_real);
    case DateTime: return fromDateTime(-m_real);
    case Currency:
        if (m_i64 == INT64_MIN)
            return Variant(-(double(m_i64) / 10000.0));
        return fromCurrencyScaled(-m_i64);
    case String: return Variant(-stringToReal(m_str));
    }
    return Variant();
}

Variant operator+(const Variant &a, const Variant &b) { return arith(Op::Add, a, b); }
Variant operator-(const Variant &a, const Variant &b) { return arith(Op::Sub, a, b); }
Variant operator*(const Variant &a, const Variant &b) { return arith(Op::Mul, a, b); }

Variant operator/(const Variant &a, const Variant &b)
{
    if (a.isEmpty() || b.isEmpty())
        invalidOp();
    if (a.isNull() || b.isNull())
        return Variant::null();
    const double y = asReal(toNum(b));
    const double x = asReal(toNum(a));
    if (y == 0)
        throw EDivByZero(qpLoadStr(qpMsgDivByZero));
    return Variant(x / y);
}

Variant vMod(const Variant &a, const Variant &b)
{
    if (a.isEmpty() || b.isEmpty())
        invalidOp();
    if (a.isNull() || b.isNull())
        return Variant::null();
    const int32_t x = bitOperand(a), y = bitOperand(b);
    if (y == 0)
        throw EDivByZero(qpLoadStr(qpMsgDivByZero));
    if (y == -1)
        return Variant(0);  // INT_MIN mod -1 would trap
    return Variant(int(x % y));
}

Variant vAnd(const Variant &a, const Variant &b)
{
    if (a.isEmpty() || b.isEmpty())
        invalidOp();
    if (a.isNull() || b.isNull())
        return Variant::null();
    if (a.kind() == Variant::Boolean && b.kind() == Variant::Boolean)
        return Variant(a.booleanValue() && b.booleanValue());
    return Variant(int(bitOperand(a) & bitOperand(b)));
}

Variant vOr(const Variant &a, const Variant &b)
{
    if (a.isEmpty() || b.isEmpty())
        invalidOp();
    if (a.isNull() || b.isNull())
        return Variant::null();
    if (a.kind() == Variant::Boolean && b.kind() == Variant::Boolean)
        return Variant(a.booleanValue() || b.booleanValue());
    return Variant(int(bitOperand(a) | bitOperand(b)));
}

int Variant::compare(const Variant &a, const Variant &b)
{
    if (a.isEmpty() || b.isEmpty())
        invalidOp();
    if (a.isNull() || b.isNull())
        return (a.isNull() ? 0 : 1) - (b.isNull() ? 0 : 1);
    if (a.isString() && b.isString())
        return qpAnsiCompare(a.stringValue(), b.stringValue());
    if (a.kind() == Boolean && b.kind() == Boolean)
        return int(a.booleanValue()) - int(b.booleanValue());
    const Num x = toNum(a), y = toNum(b);
    if (x.kind == NumKind::Int && y.kind == NumKind::Int)
        return x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
    if ((x.kind == NumKind::Int || x.kind == NumKind::Cur) && (y.kind == NumKind::Int || y.kind == NumKind::Cur)) {
        const int64_t cx = x.kind == NumKind::Cur ? x.i : x.i * 10000;
        const int64_t cy = y.kind == NumKind::Cur ? y.i : y.i * 10000;
        return cx < cy ? -1 : (cx > cy ? 1 : 0);
    }
    const double dx = asReal(x), dy = asReal(y);
    return dx < dy ? -1 : (dx > dy ? 1 : 0);
}

bool Variant::identical(const Variant &o) const
{
    if (m_kind != o.m_kind)
        return false;
    switch (m_kind) {
    case Empty:
    case Null: return true;
    case Integer: return m_i32 == o.m_i32;
    case Real:
    case DateTime: return m_real == o.m_real || (std::isnan(m_real) && std::isnan(o.m_real));
    case Currency: return m_i64 == o.m_i64;
    case Boolean: return m_bool == o.m_bool;
    case String: return m_str == o.m_str;
    }
    return false;
}
