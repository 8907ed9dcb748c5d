#pragma once
// Field edit masks are written in the classic form "mask;save-literals;blank"
// (0 a required digit, 9 an optional one, / the date separator...). The
// editors need the same mask in Qt's input-mask notation.

#include <QString>

// Empty for an empty mask.
QString QtInputMask(const QString &editMask);

class QLineEdit;

// Refuses, with the data layer's error, text that leaves a required position
// of the editor's input mask empty. A completely blank editor is accepted:
// it clears the field.
void ValidateMaskedText(const QLineEdit &editor);
