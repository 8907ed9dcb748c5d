#pragma once
// "object.property" names as scripts and expressions write them.

#include "report/model/object.h"

// The object starts as CurView and the property as the whole name. With a
// dot, the part before the first dot names the object ("Page<n>" for
// template page n, otherwise an object of CurReport, otherwise a property of
// CurView such as "Font" in "Font.Size") and the rest, at most 255
// characters, the property. object is none when nothing matches.
void ResolvePropertyPath(const QString &name, TqpObject *&object, QString &propName);
