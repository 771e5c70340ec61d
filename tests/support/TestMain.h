#pragma once

// Several QTest classes in one test program, so that the suite links a few programs instead of one per class. Each
// class registers itself under its name; the program runs the class named first on its command line (QTest's own
// options may follow), or every class when none is named. A test that includes this header has QTest with it.

#include <QTest>

#include <functional>

namespace TestMain {
int add(const char *name, std::function<QObject *()> make);
}

#define TESSRA_TEST(Class) \
    static const int Class##Registered = TestMain::add(#Class, [] { return static_cast<QObject *>(new Class); });
