#pragma once

#include <vector>

#include <QObject>

namespace ambrix::ui::test {

QObject* NewDialogTests();
QObject* NewMainFormTests();
QObject* NewSupportTests();

inline std::vector<QObject*> AllTests() {
  return {NewSupportTests(), NewDialogTests(), NewMainFormTests()};
}

}  // namespace ambrix::ui::test
