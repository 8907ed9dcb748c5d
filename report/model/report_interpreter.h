#pragma once
// The script interpreter of reports: a script reads names exactly as report
// texts do (the parser's name resolver), calls functions through the
// report's dispatch, and assigns to variables, dictionary variables, CURY,
// PROGRESS, MODALRESULT or object properties.

#include "report/expr/interpreter.h"

#include <functional>

class TInterpretator : public TqpInterpretator {
public:
    void GetValue(const QString &name, Variant &value) override;
    void SetValue(const QString &name, const Variant &value) override;
    void DoFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                    Variant &value) override;
};

// MODALRESULT on a dialog page: the window shown for the page takes the
// value as its result. Installed by the dialog page's window while shown.
extern std::function<void(int result)> qpDialogModalResult;
