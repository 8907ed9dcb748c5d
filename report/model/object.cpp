#include "report/model/object.h"

#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/model/model_errors.h"

void TqpObject::AddProperty(const QString &name, TqpDataTypes types, const TqpPropEditor &editor)
{
    TqpPropRec rec;
    rec.PropName = name.left(32);
    rec.PropType = types;
    rec.PropEditor = editor;
    m_props.append(std::move(rec));
}

void TqpObject::AddEnumProperty(const QString &name, const QString &items, const QList<Variant> &values)
{
    TqpPropRec rec;
    rec.PropName = name.left(32);
    rec.PropType = qpdt({qpdtEnum});
    rec.Enum = items.split(QLatin1Char(';'));
    if (!values.isEmpty() && !values.first().isNull())
        rec.EnumValues = values;
    m_props.append(std::move(rec));
}

void TqpObject::DelProperty(const QString &name)
{
    if (TqpPropRec *rec = GetPropRec(name))
        m_props.removeAt(rec - m_props.data());
}

TqpPropRec *TqpObject::GetPropRec(const QString &name)
{
    PropList();
    for (TqpPropRec &rec : m_props)
        if (qpSameName(rec.PropName, name))
            return &rec;
    return nullptr;
}

const QList<TqpPropRec> &TqpObject::PropList()
{
    if (m_props.isEmpty())
        DefineProperties();
    return m_props;
}

bool TqpObject::SetFontProp(TqpFont &font, const QString &name, const Variant &value)
{
    if (name == QLatin1String("FONT.NAME"))
        font.Name = value.toString();
    else if (name == QLatin1String("FONT.SIZE"))
        font.Size = value.toInt();
    else if (name == QLatin1String("FONT.STYLE"))
        font.Style = qpSetFontStyle(value.toInt());
    else if (name == QLatin1String("FONT.COLOR"))
        font.Color = quint32(value.toInt());
    else
        return false;
    return true;
}

Variant TqpObject::GetFontProp(const TqpFont &font, const QString &name)
{
    if (name == QLatin1String("FONT.NAME"))
        return font.Name;
    if (name == QLatin1String("FONT.SIZE"))
        return font.Size;
    if (name == QLatin1String("FONT.STYLE"))
        return qpGetFontStyle(font.Style);
    if (name == QLatin1String("FONT.COLOR"))
        return int(font.Color);
    return Variant::null();
}

namespace {

qsizetype checkedIndex(const QStringList &lines, const Variant &index)
{
    const int i = index.toInt();
    if (i < 0 || i >= lines.size())
        throw EListError(qpLoadStr(qpMsgListIndex).arg(i));
    return i;
}

} // namespace

Variant TqpObject::LinesMethod(QStringList &lines, const QString &method, const QString &listName,
                               const Variant &a1, const Variant &a2, const Variant &a3)
{
    const auto is = [&](const char *suffix) { return method == listName + QLatin1String(suffix); };
    if (method == QLatin1String("SETINDEXPROPERTY")) {
        if (a1.toString() == listName)
            lines[checkedIndex(lines, a2)] = a3.toString();
    } else if (method == QLatin1String("GETINDEXPROPERTY")) {
        if (a1.toString() == listName)
            return lines.at(checkedIndex(lines, a2));
    } else if (is(".ADD")) {
        lines.append(qpParser->Calc(a1.toString()).toString());
    } else if (is(".CLEAR")) {
        lines.clear();
    } else if (is(".DELETE")) {
        lines.removeAt(checkedIndex(lines, qpParser->Calc(a1.toString())));
    } else if (is(".INDEXOF")) {
        return int(lines.indexOf(qpParser->Calc(a1.toString()).toString()));
    }
    return Variant::null();
}

QString qpListText(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QStringList qpTextLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}
