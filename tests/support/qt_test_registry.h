#pragma once
// Included before every Qt test source that ends in QTEST_MAIN: the tests of a
// layer share one program, so QTEST_MAIN registers its class under its name
// instead of defining main; qt_test_main.cpp runs the class named on the
// command line, one class a process, as a program of its own would.

#include <QtTest>

namespace qt_tests {
using Runner = int (*)(int argc, char** argv);
struct Registration {
    Registration(const char* name, Runner run);
};
}  // namespace qt_tests

#undef QTEST_MAIN
#define QTEST_MAIN(TestObject)                                                        \
    static int RunTestClass_##TestObject(int argc, char** argv)                       \
    {                                                                                 \
        TestObject test;                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                    \
        return QTest::qExec(&test, argc, argv);                                       \
    }                                                                                 \
    static const qt_tests::Registration registration_##TestObject(#TestObject,        \
                                                                  RunTestClass_##TestObject);
