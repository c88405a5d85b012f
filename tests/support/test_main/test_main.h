#pragma once
// The test classes of one folder share one executable; each ctest test starts
// it with the name of one class's file (`unit_tests transaction_test`), so
// every class still runs alone in a process of its own.
//
// KDX_TEST_MAIN(Class) and KDX_TEST_GUILESS_MAIN(Class) take the place of
// QTEST_MAIN and QTEST_GUILESS_MAIN at the end of a test file: the same
// application object and set-up, registered under the file's name and the
// class's name instead of defining `main`.
#include <QtTest>

namespace kdx::test {

using TestClassMain = int (*)(int argc, char* argv[]);

// Registers the class of `sourceFile` under the file's name without folder
// and extension, and under `className`. Returns true, to initialize a static.
bool RegisterTestClass(const char* sourceFile, const char* className, TestClassMain run);

}  // namespace kdx::test

#define KDX_TEST_CLASS_MAIN(TestObject, ...)                             \
  namespace {                                                            \
  int RunTestClass(int argc, char* argv[]) {                             \
    QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();   \
    __VA_ARGS__                                                          \
    TestObject tc;                                                       \
    QTEST_SET_MAIN_SOURCE_PATH                                           \
    return QTest::qExec(&tc, argc, argv);                                \
  }                                                                      \
  [[maybe_unused]] const bool kTestClassRegistered =                     \
      kdx::test::RegisterTestClass(__FILE__, #TestObject, RunTestClass); \
  }

// A QApplication where the file links the widgets (as QTEST_MAIN), else a
// QCoreApplication.
#define KDX_TEST_MAIN(TestObject) KDX_TEST_CLASS_MAIN(TestObject, QTEST_MAIN_SETUP())
// A QCoreApplication (as QTEST_GUILESS_MAIN).
#define KDX_TEST_GUILESS_MAIN(TestObject) \
  KDX_TEST_CLASS_MAIN(TestObject, QTEST_QAPP_SETUP(QCoreApplication))
