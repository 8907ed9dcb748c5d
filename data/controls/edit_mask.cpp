#include "edit_mask.h"

#include "db_error.h"
#include "format_settings.h"

#include <QLineEdit>
#include <algorithm>

namespace {

// Characters that mean something in Qt's notation and must be escaped when
// they are literals.
bool isQtMaskChar(QChar c)
{
    return QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{}").contains(c);
}

QString literal(QChar c) { return isQtMaskChar(c) ? QStringLiteral("\\") + c : QString(c); }

} // namespace

QString QtInputMask(const QString &editMask)
{
    if (editMask.isEmpty())
        return QString();
    // The mask proper ends at the first unescaped ';'; the blank character is
    // the last section when there are three.
    QString mask;
    int i = 0;
    for (; i < editMask.size() && editMask[i] != QLatin1Char(';'); ++i) {
        if (editMask[i] == QLatin1Char('\\') && i + 1 < editMask.size())
            mask += editMask[i++];
        mask += editMask[i];
    }
    const QStringList sections = editMask.mid(i).split(QLatin1Char(';'));
    const QString blank = sections.size() >= 3 && !sections[2].isEmpty() ? sections[2].left(1) : QStringLiteral("_");

    const FormatSettings &fs = formatSettings();
    QString qt;
    for (int k = 0; k < mask.size(); ++k) {
        const QChar c = mask[k];
        switch (c.unicode()) {
        case '\\':
            if (++k < mask.size())
                qt += literal(mask[k]);
            break;
        case '!': break; // blanks kept at the front instead of the end: no counterpart, no effect on what is typed
        case '<':
            if (k + 1 < mask.size() && mask[k + 1] == QLatin1Char('>')) {
                qt += QLatin1Char('!');
                ++k;
            } else {
                qt += QLatin1Char('<');
            }
            break;
        case '>': qt += QLatin1Char('>'); break;
        case 'L': qt += QLatin1Char('A'); break;
        case 'l': qt += QLatin1Char('a'); break;
        case 'A': qt += QLatin1Char('N'); break;
        case 'a': qt += QLatin1Char('n'); break;
        case 'C': qt += QLatin1Char('X'); break;
        case 'c': qt += QLatin1Char('x'); break;
        case '0': qt += QLatin1Char('9'); break;
        case '9': qt += QLatin1Char('0'); break;
        case '#': qt += QLatin1Char('#'); break;
        case '/': qt += literal(fs.DateSeparator); break;
        case ':': qt += literal(fs.TimeSeparator); break;
        case '_': qt += QLatin1Char(' '); break;
        default: qt += literal(c); break;
        }
    }
    return qt + QLatin1Char(';') + blank;
}

void ValidateMaskedText(const QLineEdit &editor)
{
    if (editor.inputMask().isEmpty() || editor.hasAcceptableInput())
        return;
    const QString text = editor.text();
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }))
        return;
    throw EDatabaseError(QStringLiteral("Geçersiz giriş değeri: '%1'. Değişiklikten vazgeçmek için Esc tuşuna basın.")
                             .arg(editor.displayText()));
}
