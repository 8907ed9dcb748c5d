#pragma once
// The message of the data layer's error that `f` raises; empty when it
// raises none.

#include "db_error.h"

#include <QString>
#include <functional>

inline QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EDatabaseError &e) {
        return e.message();
    }
    return QString();
}
