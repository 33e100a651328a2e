// Runs every test class of the window; each class is one QObject.
#include <QApplication>
#include <QTest>

#include "test_classes.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = 0;
  for (QObject* test : ambrix::ui::test::AllTests()) {
    failed += QTest::qExec(test, argc, argv);
    delete test;
  }
  return failed == 0 ? 0 : 1;
}
