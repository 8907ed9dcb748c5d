#include "report/core/string_table.h"

#include <QFile>
#include <QHash>

namespace {

// Reads the table shipped as a resource once; see qpstrings.txt for its form.
QHash<int, QString> loadTable()
{
    QHash<int, QString> table;
    QFile f(QStringLiteral(":/quillpress/qpstrings.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return table;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        if (raw.isEmpty() || raw.startsWith('#'))
            continue;
        const qsizetype tab = raw.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = raw.left(tab).toInt(&ok);
        if (!ok)
            continue;
        const QString text = QString::fromUtf8(raw.mid(tab + 1));
        QString unescaped;
        unescaped.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size()) {
                const QChar next = text.at(++i);
                unescaped += next == QLatin1Char('n') ? QChar(QLatin1Char('\n'))
                           : next == QLatin1Char('t') ? QChar(QLatin1Char('\t'))
                                                      : next;
            } else {
                unescaped += text.at(i);
            }
        }
        table.insert(id, unescaped);
    }
    return table;
}

const QHash<int, QString> &messages()
{
    static const QHash<int, QString> table = loadTable();
    return table;
}

} // namespace

QString qpLoadStr(int id)
{
    const QHash<int, QString> &table = messages();
    const auto it = table.constFind(id);
    if (it == table.constEnd())
        return QStringLiteral("[message %1]").arg(id);
    return it->left(1024);
}

bool qpHasStr(int id) { return messages().contains(id); }
