#pragma once
// Function libraries: objects that know a list of function names and compute
// them. Every call the parser does not evaluate itself is offered to the
// registered libraries in registration order; the first that knows the name
// computes it. Beside them, a registry of descriptions gives each function a
// category and a one-line help text ("SYNTAX/explanation") for the
// designer's function list.

#include "report/core/variant.h"

#include <QList>
#include <QStringList>
#include <functional>

class TqpFunctionLibrary {
public:
    TqpFunctionLibrary() = default;
    virtual ~TqpFunctionLibrary() = default;
    TqpFunctionLibrary(const TqpFunctionLibrary &) = delete;
    TqpFunctionLibrary &operator=(const TqpFunctionLibrary &) = delete;

    // The names handled, compared without regard to case; a name's position
    // is its function number.
    QStringList List;

    // Registration and unregistration go by this name.
    virtual QString ClassName() const = 0;
    // When the name is in List: DoFunction(its position, ...) and true;
    // otherwise false with value untouched. p1..p3 are the argument texts.
    virtual bool OnFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                            Variant &value);
    virtual void DoFunction(int functionNo, const Variant &p1, const Variant &p2, const Variant &p3,
                            Variant &value) = 0;

    // Registers a description on behalf of this library.
    void AddFunctionDesc(const QString &name, const QString &category, const QString &description);
};

// What registration takes for a library class: its name and its constructor.
struct TqpFunctionLibraryClass {
    QString ClassName;
    std::function<TqpFunctionLibrary *()> Create;
};

// Libraries name their class in a static LibraryClassName, so that the class
// is known without constructing one (construction registers descriptions).
template<typename T>
TqpFunctionLibraryClass qpLibraryClassOf()
{
    return {QLatin1String(T::LibraryClassName), [] { return new T; }};
}

// The registry, in registration order; it owns the instances.
constexpr int qpMaxFunctionLibraries = 64;
extern TqpFunctionLibrary *qpFunctions[qpMaxFunctionLibraries];
extern int qpFunctionsCount;

// Ids of the registry's own messages.
enum qpFunctionLibraryMessageId : int {
    qpMsgAllFunctions = 55348,
    qpMsgTooManyLibraries = 59240,
};

// Creates and appends one instance unless a library of that class name is
// registered already. A full registry refuses with EqpError.
void qpRegisterFunctionLibrary(const TqpFunctionLibraryClass &cls);
// Removes the descriptions of the library with that class name, frees it
// and closes the gap, keeping the order. Nothing when none is registered.
void qpUnRegisterFunctionLibrary(const TqpFunctionLibraryClass &cls);

// Offers a call to the registered libraries in order; true when one took it.
bool qpCallFunctionLibraries(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                             Variant &value);

struct TqpFunctionDesc {
    // The class of the library that registered it: records are removed by
    // class, and a name outlives an instance that was freed.
    QString LibraryClass;
    QString FunctionName;
    QString Category;
    QString Description;
};

class TqpInstalledFunctions {
public:
    // Ignored when the category is empty or a record of exactly that name exists.
    void Add(const TqpFunctionLibrary *library, const QString &name, const QString &category,
             const QString &description);
    // The description of the first record whose name matches ignoring case;
    // empty when none.
    QString GetFunctionDesc(const QString &name) const;
    // The distinct categories, sorted.
    void GetCategoryList(QStringList &list) const;
    // The names in a category (ignoring case), sorted; the category of all
    // functions (message 55348) or an empty one lists every name.
    void GetFunctionList(const QString &category, QStringList &list) const;
    // Removes every record of a library with the same class name.
    void UnRegisterFunctionLibrary(const TqpFunctionLibrary *library);

private:
    QList<TqpFunctionDesc> m_items;
};

extern TqpInstalledFunctions qpInstalledFunctions;

void qpAddFunctionDesc(const TqpFunctionLibrary *library, const QString &name, const QString &category,
                       const QString &description);
