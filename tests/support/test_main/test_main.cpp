// The main of a folder's test executable:
//   TESTS CLASS [QtTest options]  runs one class (its file's name, as
//                                  `transaction_test`, or `TransactionTest`)
//   TESTS                         runs every class in turn, each in a process
//                                  of its own, and fails if any of them fails
//   TESTS --list                  lists the classes
#include "test_main.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct TestClass {
  std::string file;
  std::string name;
  kdx::test::TestClassMain run;
};

// Filled by the statics of the test files before main runs; a function's
// static so that it exists whichever file registers first.
std::map<std::string, TestClass>& Classes() {
  static std::map<std::string, TestClass> classes;
  return classes;
}

const TestClass* Find(const std::string& key) {
  for (const auto& [file, testClass] : Classes()) {
    if (file == key || testClass.name == key) return &testClass;
  }
  return nullptr;
}

void List(std::FILE* out) {
  for (const auto& [file, testClass] : Classes()) {
    std::fprintf(out, "  %s (%s)\n", file.c_str(), testClass.name.c_str());
  }
}

int RunEach(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList failed;
  for (const auto& [file, testClass] : Classes()) {
    std::fprintf(stdout, "=== %s (%s)\n", file.c_str(), testClass.name.c_str());
    std::fflush(stdout);
    const int status =
        QProcess::execute(QCoreApplication::applicationFilePath(), {QString::fromStdString(file)});
    if (status != 0) failed << QString::fromStdString(file);
  }
  std::fprintf(stdout, "%zu classes, %lld failed%s%s\n", Classes().size(),
               static_cast<long long>(failed.size()), failed.isEmpty() ? "" : ": ",
               qPrintable(failed.join(", ")));
  return failed.isEmpty() ? 0 : 1;
}

}  // namespace

namespace kdx::test {

bool RegisterTestClass(const char* sourceFile, const char* className, TestClassMain run) {
  std::string file = sourceFile;
  if (const auto slash = file.find_last_of("/\\"); slash != std::string::npos) {
    file.erase(0, slash + 1);
  }
  if (const auto dot = file.rfind('.'); dot != std::string::npos) file.erase(dot);
  Classes()[file] = TestClass{file, className, run};
  return true;
}

}  // namespace kdx::test

int main(int argc, char* argv[]) {
  if (argc < 2) return RunEach(argc, argv);
  if (std::strcmp(argv[1], "--list") == 0) {
    List(stdout);
    return 0;
  }
  const TestClass* testClass = Find(argv[1]);
  if (testClass == nullptr) {
    std::fprintf(stderr, "%s: no test class %s; the classes are:\n", argv[0], argv[1]);
    List(stderr);
    return 2;
  }
  // The class sees the program's name and the options after its own name.
  std::vector<char*> args{argv[0]};
  args.insert(args.end(), argv + 2, argv + argc);
  args.push_back(nullptr);
  return testClass->run(argc - 1, args.data());
}
