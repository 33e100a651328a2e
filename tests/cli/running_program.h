#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "run_ambrix.h"

namespace ambrix::test {

/// `ambrix args...` started in `dir` (as CliTest::Ambrix runs it, stdout
/// discarded, stderr into the file `errFile` or discarded) and left running, so that a test can hold a resource it needs
/// or kill it half-way. The destructor kills and reaps it if still running.
class RunningProgram {
 public:
  RunningProgram(const std::filesystem::path& dir, const std::vector<std::string>& args,
                 const std::filesystem::path& errFile = {});
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  /// Waits for the end; its exit code, -1 when a signal ended it.
  int Wait();
  /// Ends it with SIGKILL and reaps it.
  void Kill();
  /// Waits (a few minutes at most) until a file whose name `wanted` accepts
  /// appears in the folder `dir`, or the program has ended; whether it
  /// appeared.
  bool WaitForFile(const std::filesystem::path& dir, const std::function<bool(const std::string&)>& wanted);
  /// Likewise until the file `file` holds `text`.
  bool WaitForText(const std::filesystem::path& file, const std::string& text);

 private:
  /// Waits (a few minutes at most) until `done` or the program has ended; whether `done`.
  bool WaitUntil(const std::function<bool()>& done);
  pid_t pid_ = -1;
  int status_ = 0;
};

/// The names of the files in a folder, sorted.
std::vector<std::string> FileNames(const std::filesystem::path& dir);

}  // namespace ambrix::test
