#pragma once

#include <vector>

#include <QObject>

namespace ambrix::ui::test {

QObject* NewDialogTests();
QObject* NewMainFormTests();
QObject* NewSupportTests();
QObject* NewRepositoryWindowTests();

inline std::vector<QObject*> AllTests() {
  return {NewSupportTests(), NewDialogTests(), NewMainFormTests(), NewRepositoryWindowTests()};
}

}  // namespace ambrix::ui::test
