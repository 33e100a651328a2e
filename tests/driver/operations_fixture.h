#pragma once

// The converter object over a fresh repository holding the dialect the
// program carries, with one open project and a folder for script files: the
// ground of the tests of reverse-engineering, compilation and generation.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "driver/convert_data_module.h"
#include "repository_fixture.h"

namespace ambrix::test {

/// One stored object, as the repository holds it.
struct StoredObject {
  std::string type;    ///< type object name, lower case
  std::string name;
  std::string parent;  ///< the parent's name; empty without one
  std::string source;
  std::optional<std::string> dest;  ///< null while not compiled
  std::optional<std::string> drop;
  long long id = 0;  ///< the object's key
};

/// One stored alarm.
struct StoredAlarm {
  std::string object;
  std::string varName;  ///< the alarm row's VarName, as stored
  int line = 0;
  int pos = 0;
  std::string word;
};

/// A table with a primary key and a check constraint (which has no
/// analyzer), and a view that reads a system table; batches end in GO.
extern const std::string kTableScript;

class OperationsTest : public ScratchTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  TConvertDataModule& m() { return *module_; }
  Repository& repo() { return m().repository(); }

  /// Adds a project of dialect 1 to the repository and the project list.
  int AddProject(const std::string& name);
  /// Writes `bytes` to a file of the test folder and returns its path.
  std::string WriteFile(const std::string& name, const std::string& bytes);
  std::string Path(const std::string& name) const;
  static std::string ReadFile(const std::string& path);
  /// The names of the files in the test folder, sorted.
  std::vector<std::string> FolderFiles() const;

  /// Options with every type chosen.
  static TOptAddScript AllTypes(const std::string& fileName, std::uint8_t mode = amUpdateChanged);
  /// Reverse-engineers `script` (written to a file first) into the open project.
  void Import(const std::string& script, std::uint8_t mode = amUpdateChanged);

  // Objects and alarms of a project; by default of the open one.

  /// The objects of a project by key.
  std::vector<StoredObject> Objects(int projectId = 0);
  StoredObject Object(const std::string& name);
  int ObjectId(const std::string& name);
  /// The alarms of a project in the order stored.
  std::vector<StoredAlarm> Alarms(int projectId = 0);
  /// Opens the object view on `name` and compiles it.
  void Compile(const std::string& name);
  /// Adds and opens the project `name` for a run with `workers` threads; the
  /// failures the run passes over go to `skipped` as "line type name: message".
  int StartRun(const std::string& name, int workers, std::vector<std::string>& skipped);
  /// A generated script's text with the date of its header made constant.
  static std::string WithoutDate(const std::string& text);

  std::unique_ptr<TConvertDataModule> module_;
  std::unique_ptr<QTemporaryDir> dir_;
  int project_ = 0;
  std::vector<std::string> log_;
  std::vector<int> progress_;  ///< OnProgressStart values as negatives, then the steps
  int alarmsChanged_ = 0;
};

}  // namespace ambrix::test
