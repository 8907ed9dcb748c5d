#pragma once
// The base of every report object and template page: a list of named, typed
// properties that the designer's inspector shows and that scripts read,
// write and call methods on by name.

#include "report/core/variant.h"
#include "report/model/model_globals.h"
#include "report/model/stream_utils.h"

#include <QList>
#include <QStringList>

// How the inspector treats a property; bit numbers of the property type set.
enum TqpDataType {
    qpdtString = 0,
    qpdtInteger,
    qpdtFloat,
    qpdtBoolean,
    qpdtColor,
    qpdtEnum,
    qpdtHasEditor,
    qpdtSize,
    qpdtOneObject,
};
using TqpDataTypes = quint16;
constexpr TqpDataTypes qpdt(std::initializer_list<TqpDataType> types)
{
    TqpDataTypes set = 0;
    for (TqpDataType t : types)
        set |= TqpDataTypes(1u << t);
    return set;
}

struct TqpPropRec {
    QString PropName;           // at most 32 characters
    TqpDataTypes PropType = 0;
    QStringList Enum;           // item names of an enumeration
    QList<Variant> EnumValues;  // the values they stand for; empty = null
    TqpPropEditor PropEditor;
};

class TqpObject {
public:
    virtual ~TqpObject() = default;

    virtual void SetPropValue(const QString &name, const Variant &value) {}
    virtual Variant GetPropValue(const QString &name) { return Variant::null(); }
    virtual Variant DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3)
    {
        return Variant::null();
    }
    // Fills the property list; called lazily by the first look-up.
    virtual void DefineProperties() {}

    void ClearPropList() { m_props.clear(); }
    void AddProperty(const QString &name, TqpDataTypes types, const TqpPropEditor &editor = {});
    void AddEnumProperty(const QString &name, const QString &items, const QList<Variant> &values);
    void DelProperty(const QString &name);
    // The first record whose name equals the argument ignoring case.
    TqpPropRec *GetPropRec(const QString &name);
    // The list in definition order, defined first when empty.
    const QList<TqpPropRec> &PropList();

protected:
    // "FONT.NAME", "FONT.SIZE", "FONT.STYLE" (stored style code), "FONT.COLOR";
    // the name is upper case. Set returns whether the name was one of them.
    static bool SetFontProp(TqpFont &font, const QString &name, const Variant &value);
    static Variant GetFontProp(const TqpFont &font, const QString &name);
    // Methods on a text list named listName ("MEMO" or "LINES"); method names
    // compare exactly. A line number outside the list raises EListError.
    static Variant LinesMethod(QStringList &lines, const QString &method, const QString &listName,
                               const Variant &a1, const Variant &a2, const Variant &a3);

private:
    QList<TqpPropRec> m_props;
};

// The text of a list (every line followed by a line break) and back (split
// at CR LF, CR or LF; a final line break ends the last line).
QString qpListText(const QStringList &lines);
QStringList qpTextLines(const QString &text);
