#pragma once
// The export test program runs several test classes; each registers itself
// with EXPORT_TEST and main (test_main.cpp) runs them in turn, with the
// engine's globals set up once.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

std::vector<std::function<std::unique_ptr<QObject>()>> &exportTests();

#define EXPORT_TEST(Class)                                                                                     \
    static const bool registered##Class = (exportTests().push_back([] { return std::make_unique<Class>(); }), true);
