#include "running_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace ambrix::test {

RunningProgram::RunningProgram(const std::filesystem::path& dir, const std::vector<std::string>& args,
                               const std::filesystem::path& errFile) {
  pid_ = fork();
  if (pid_ == 0) {
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(errFile.empty() ? devNull : open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    if (chdir(dir.c_str()) != 0) _exit(127);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    std::string program = AMBRIX_EXECUTABLE;
    std::vector<std::string> copies = args;
    std::vector<char*> argv{program.data()};
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) Kill();
}

int RunningProgram::Wait() {
  if (pid_ > 0) {
    waitpid(pid_, &status_, 0);
    pid_ = -1;
  }
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

void RunningProgram::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  Wait();
}

bool RunningProgram::WaitForFile(const std::filesystem::path& dir,
                                 const std::function<bool(const std::string&)>& wanted) {
  return WaitUntil([&] {
    for (const std::string& name : FileNames(dir))
      if (wanted(name)) return true;
    return false;
  });
}

bool RunningProgram::WaitForText(const std::filesystem::path& file, const std::string& text) {
  return WaitUntil([&] {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.find(text) != std::string::npos;
  });
}

bool RunningProgram::WaitUntil(const std::function<bool()>& done) {
  // A bound on the wait, not a measure: what is waited for comes within moments.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    if (pid_ <= 0 || waitpid(pid_, &status_, WNOHANG) == pid_) {
      pid_ = -1;
      return done();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::vector<std::string> FileNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace ambrix::test
