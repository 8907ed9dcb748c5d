#pragma once
// Row filter expressions of a data set:
//   [Field] = 'text'    whole value equal        [Field] = 'text*'   begins with
//   [Field] = NULL      blank                    [Field] <> ...      the opposite
//   a or b, a and b, ( ... )                     'it''s'             a quote inside
// The expression is parsed once into a tree and evaluated by our own code on
// every record; none of its text ever reaches SQL.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TFilterExpr {
public:
    // Parses the text; `fieldIndex` maps a field name to its index or -1, and
    // an unknown name is refused with the field-not-found error.
    TFilterExpr(const QString &text, const std::function<int(const QString &)> &fieldIndex);
    ~TFilterExpr();

    // The fields the expression reads, by index, once each.
    const std::vector<int> &fields() const { return m_fields; }

    // `text(i)` gives field i of the record as text, `isNull(i)` whether it is blank.
    bool matches(const std::function<QString(int)> &text, const std::function<bool(int)> &isNull,
                 bool caseInsensitive, bool partialCompare = true) const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
    std::vector<int> m_fields;
};
