#include "field.h"

#include "dataset.h"
#include "db_error.h"
#include "format_settings.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

const QDate kDateOrigin(1899, 12, 30); // day 0 of the numeric date-time

// Accepts the decimal comma or point; a point before a comma groups thousands.
double parseNumber(const QString &text)
{
    QString s = text.trimmed();
    const QString &currency = formatSettings().CurrencyString;
    if (s.endsWith(currency))
        s = s.chopped(currency.size()).trimmed();
    s.remove(QLatin1Char(' '));
    if (s.contains(QLatin1Char(',')) && s.contains(QLatin1Char('.')))
        s.remove(QLatin1Char('.'));
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(d))
        throw EDatabaseError(QStringLiteral("'%1' geçerli bir sayı değil").arg(text));
    return d;
}

QDate parseDate(const QString &text)
{
    const QString s = text.trimmed();
    static const QRegularExpression dmy(QStringLiteral("^(\\d{1,2})[./-](\\d{1,2})[./-](\\d{4})$"));
    static const QRegularExpression ymd(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    QDate d;
    if (const auto m = dmy.match(s); m.hasMatch())
        d = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    else if (const auto m = ymd.match(s); m.hasMatch())
        d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        throw EDatabaseError(QStringLiteral("'%1' geçerli bir tarih değil").arg(text));
    return d;
}

// An edit mask leaves its separators and blank marks in an untouched field.
bool isBlankMaskText(const QString &s)
{
    for (QChar c : s)
        if (c.isLetterOrNumber())
            return false;
    return true;
}

} // namespace

QString formatFloat(double v)
{
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('.'), formatSettings().DecimalSeparator);
    return s;
}

QString formatCurrency(double v)
{
    const FormatSettings &fs = formatSettings();
    QString digits = QString::number(std::fabs(v), 'f', fs.CurrencyDecimals);
    QString fraction;
    if (const auto dot = digits.indexOf(QLatin1Char('.')); dot >= 0) {
        fraction = fs.DecimalSeparator + digits.mid(dot + 1);
        digits.truncate(dot);
    }
    for (auto i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, fs.ThousandSeparator);
    const bool negative = v < 0 && QString::number(v, 'f', fs.CurrencyDecimals).contains(QRegularExpression(QStringLiteral("[1-9]")));
    return (negative ? QStringLiteral("-") : QString()) + digits + fraction + QLatin1Char(' ') + fs.CurrencyString;
}

TField::TField(TDataSet *dataSet, const QString &name, TFieldType type, int size, TFieldKind kind)
    : m_dataSet(dataSet), m_name(name), m_type(type), m_size(size), m_kind(kind)
{
}

QVariant TField::Value() const { return m_dataSet->fieldValue(this); }

void TField::setValue(const QVariant &v) { m_dataSet->setFieldValue(this, v); }

double TField::AsFloat() const
{
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::UnknownType: return 0;
    case QMetaType::QDate: return double(kDateOrigin.daysTo(v.toDate()));
    case QMetaType::QString: return v.toString().trimmed().isEmpty() ? 0 : parseNumber(v.toString());
    default: return v.toDouble();
    }
}

void TField::setAsFloat(double v) { setValue(v); }

QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::UnknownType: return QDateTime();
    case QMetaType::QDate: return v.toDate().startOfDay();
    case QMetaType::QDateTime: return v.toDateTime();
    case QMetaType::QString: return parseDate(v.toString()).startOfDay();
    default: {
        const double d = v.toDouble();
        const double day = std::floor(d);
        return kDateOrigin.addDays(qint64(day)).startOfDay().addMSecs(qint64(std::llround((d - day) * 86400000.0)));
    }
    }
}

void TField::setAsDateTime(const QDateTime &v) { setValue(v.isValid() ? QVariant(v) : QVariant()); }

QString TField::textOf(const QVariant &v) const { return v.isValid() ? v.toString() : QString(); }

QVariant TField::parse(const QString &s) const { return s.isEmpty() ? QVariant() : QVariant(s); }

QVariant TField::coerce(const QVariant &v) const { return v; }

QVariant TStringField::coerce(const QVariant &v) const
{
    if (!v.isValid())
        return v;
    QString s = v.typeId() == QMetaType::Double ? formatFloat(v.toDouble()) : v.toString();
    if (Size() > 0 && s.size() > Size())
        s.truncate(Size());
    // A blank text is stored as no value, so "= NULL" finds it.
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QString TFloatField::textOf(const QVariant &v) const
{
    return v.isValid() ? formatFloat(v.toDouble()) : QString();
}

QString TFloatField::displayTextOf(const QVariant &v) const
{
    if (!v.isValid())
        return QString();
    return Currency ? formatCurrency(v.toDouble()) : formatFloat(v.toDouble());
}

QVariant TFloatField::parse(const QString &s) const
{
    if (s.trimmed().isEmpty())
        return QVariant();
    return parseNumber(s);
}

QVariant TFloatField::coerce(const QVariant &v) const
{
    switch (v.typeId()) {
    case QMetaType::UnknownType: return v;
    case QMetaType::QString: return parse(v.toString());
    case QMetaType::QDate: return double(kDateOrigin.daysTo(v.toDate()));
    default: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw EDatabaseError(QStringLiteral("'%1' geçerli bir sayı değil").arg(v.toString()));
        return d;
    }
    }
}

QString TDateField::textOf(const QVariant &v) const
{
    return v.isValid() ? v.toDate().toString(formatSettings().ShortDateFormat) : QString();
}

QVariant TDateField::parse(const QString &s) const
{
    if (isBlankMaskText(s))
        return QVariant();
    return parseDate(s);
}

QVariant TDateField::coerce(const QVariant &v) const
{
    switch (v.typeId()) {
    case QMetaType::UnknownType: return v;
    case QMetaType::QDate: return v.toDate().isValid() ? v : QVariant();
    case QMetaType::QDateTime: return v.toDateTime().isValid() ? QVariant(v.toDateTime().date()) : QVariant();
    case QMetaType::QString: return parse(v.toString());
    default: return kDateOrigin.addDays(qint64(std::floor(v.toDouble())));
    }
}

QByteArray TBlobField::AsBytes() const
{
    const QVariant v = Value();
    return v.typeId() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
}

void TBlobField::LoadFromFile(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("'%1' dosyası okunamıyor: %2").arg(fileName, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw EDatabaseError(QStringLiteral("'%1' dosyası okunamıyor: %2").arg(fileName, f.errorString()));
    setValue(bytes);
}

void TBlobField::SaveToFile(const QString &fileName) const
{
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(AsBytes()) < 0 || !f.flush())
        throw EDatabaseError(QStringLiteral("'%1' dosyasına yazılamıyor: %2").arg(fileName, f.errorString()));
}

QVariant TBlobField::coerce(const QVariant &v) const
{
    if (!v.isValid())
        return v;
    const QByteArray b = v.typeId() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
    return b.isEmpty() ? QVariant() : QVariant(b);
}

QVariant TMemoField::coerce(const QVariant &v) const
{
    if (!v.isValid())
        return v;
    const QString s = v.typeId() == QMetaType::QByteArray ? QString::fromUtf8(v.toByteArray()) : v.toString();
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QString TGraphicField::displayTextOf(const QVariant &v) const
{
    return v.isValid() ? QStringLiteral("(GRAPHIC)") : QStringLiteral("(Graphic)");
}
