// Runs the test classes of the window; each class is one QObject.
//   test_ui                      every class
//   test_ui CLASS [QTest args]   one class (ctest runs each as its own entry)
#include <QApplication>
#include <QTest>

#include <cstring>
#include <vector>

#include "test_classes.h"

namespace {

// "ambrix::ui::test::SupportTests" is "SupportTests".
const char* ShortName(const QObject* test) {
  const char* name = test->metaObject()->className();
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  // QTest reads its own options after the program name: the class name is not one.
  std::vector<char*> args(argv, argv + argc);
  if (only) args.erase(args.begin() + 1);
  int failed = 0;
  bool found = only == nullptr;
  for (QObject* test : ambrix::ui::test::AllTests()) {
    if (only == nullptr || std::strcmp(ShortName(test), only) == 0) {
      found = true;
      failed += QTest::qExec(test, static_cast<int>(args.size()), args.data());
    }
    delete test;
  }
  if (!found) {
    qCritical("no test class named %s", only);
    return 2;
  }
  return failed == 0 ? 0 : 1;
}
