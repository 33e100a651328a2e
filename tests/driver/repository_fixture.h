#pragma once

// A fresh, empty repository database for each test, on SQLite always and on
// the PostgreSQL server named by AMBRIX_TEST_PG when it is set.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "driver/repository.h"

namespace ambrix::test {

/// Makes a throwaway database and removes it again.
class ScratchDatabase {
 public:
  explicit ScratchDatabase(Backend backend);
  ~ScratchDatabase();
  /// False (with the reason in `why`) when the backend cannot be reached here.
  bool Available(std::string* why) const;
  const RepositoryLocation& location() const { return location_; }

 private:
  Backend backend_;
  RepositoryLocation location_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::string server_;  // PostgreSQL: the URL of the maintenance database
  bool created_ = false;
};

/// A small dialect of its own for tests of the statements: dialect 7 with the
/// fourteen type objects (plus "other", linked to dialect 8 only), a few
/// reserved words and the eight alarm kinds (VarNames stored in lower case).
void LoadTestDialect(Repository& repository);

/// Key of the test type object `name` ("table", "index", ...).
int TestTypeId(const std::string& name);

/// Base of the tests that run on every backend: an empty scratch database
/// (skipped where the backend cannot be reached).
class ScratchTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override;
  void TearDown() override;
  const RepositoryLocation& location() const { return scratch_->location(); }
  /// After SetUp: the backend could not be reached (the test was skipped, or
  /// failed under CI). A derived SetUp returns at once then.
  bool Unavailable() const { return IsSkipped() || HasFatalFailure(); }

  std::unique_ptr<ScratchDatabase> scratch_;
};

/// A scratch database with the schema and the test dialect, connected.
class BackendTest : public ScratchTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  Repository& repo() { return *repository_; }

  int AddProject(const std::string& name, int dialectId = 7);
  int AddObject(int projectId, const std::string& type, const std::string& name, int parentId = 0,
                const std::string& source = "source");
  void AddAlarm(int objectId, int alarmId, int line, int pos, const std::string& word);

  std::unique_ptr<Repository> repository_;
};

std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info);

#define AMBRIX_ALL_BACKENDS(Suite)                                                                            \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values(::ambrix::Backend::SQLite, ::ambrix::Backend::PostgreSQL), \
                           ::ambrix::test::BackendParamName)

}  // namespace ambrix::test
