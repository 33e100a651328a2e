#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace ambrix::test {

/// The longest one run of `ambrix` may take in a test: a run still going then
/// is killed and the test fails (the largest run a test makes takes seconds).
inline constexpr std::chrono::seconds kRunLimit{120};

/// What one run of the built `ambrix` program gave.
struct RunResult {
  int exitCode = -1;  ///< -1: killed by a signal
  std::string out;
  std::string err;
};

/// A private folder per test, used as the working folder and as
/// XDG_DATA_HOME (so the default repository is the test's own).
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Runs `ambrix args...` in the test folder, stdin from /dev/null; kills
  /// it and fails the test when it runs longer than kRunLimit.
  RunResult Ambrix(const std::vector<std::string>& args);
  /// The same with stderr on a terminal (a pseudo-terminal whose reading
  /// end the test holds): `err` is what the terminal was sent.
  RunResult AmbrixOnTerminal(const std::vector<std::string>& args);

  /// Writes a file in the test folder; returns its path.
  std::filesystem::path Write(const std::string& name, const std::string& bytes);
  static std::string Read(const std::filesystem::path& path);
  /// `sqlite:` location of a repository file in the test folder.
  std::string RepositoryFile(const std::string& name = "repo.sqlite3") const;

  std::filesystem::path dir_;

 private:
  RunResult Run(const std::vector<std::string>& args, bool terminal);
};

/// The lines of a text (without line ends; CR LF and LF both end lines).
std::vector<std::string> Lines(const std::string& text);

/// The example scripts of the project.
std::filesystem::path Example(const std::string& name);

}  // namespace ambrix::test
