#include "run_ambrix.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ambrix::test {

void CliTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ambrix-cli-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
}

void CliTest::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

RunResult CliTest::Ambrix(const std::vector<std::string>& args) { return Run(args, false); }

RunResult CliTest::AmbrixOnTerminal(const std::vector<std::string>& args) { return Run(args, true); }

RunResult CliTest::Run(const std::vector<std::string>& args, bool terminal) {
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0) ADD_FAILURE() << "pipe failed";
  if (terminal) {
    // errPipe[0] reads what the program's terminal shows; errPipe[1] is
    // the terminal itself.
    if (openpty(&errPipe[0], &errPipe[1], nullptr, nullptr, nullptr) != 0) ADD_FAILURE() << "openpty failed";
  } else if (pipe(errPipe) != 0) {
    ADD_FAILURE() << "pipe failed";
  }
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    close(outPipe[0]);
    close(errPipe[0]);
    if (chdir(dir_.c_str()) != 0) _exit(127);
    setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    std::vector<char*> argv;
    std::string program = AMBRIX_EXECUTABLE;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  char buffer[65536];
  // A run that hangs (or a child that keeps the pipes open) ends the test,
  // not the whole test run.
  const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
  bool killed = false;
  while (open > 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    const int ready = left > 0 ? poll(fds, 2, static_cast<int>(left)) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) ADD_FAILURE() << "poll failed: " << std::strerror(errno);
    if (ready <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
        continue;
      }
      (k == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
    }
  }
  for (pollfd& fd : fds)
    if (fd.fd >= 0) close(fd.fd);
  // A child that closed its output but goes on running is bounded alike.
  int status = 0;
  while (!killed && waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      killed = true;
    } else {
      usleep(2000);
    }
  }
  if (killed) waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (killed && std::chrono::steady_clock::now() >= deadline) {
    std::string line;
    for (const std::string& a : args) line += " " + a;
    ADD_FAILURE() << "ambrix" << line << " did not finish within "
                  << std::chrono::duration_cast<std::chrono::seconds>(kRunLimit).count() << " s and was killed";
  }
  return result;
}

std::filesystem::path CliTest::Write(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path = dir_ / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string CliTest::Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string CliTest::RepositoryFile(const std::string& name) const { return "sqlite:" + (dir_ / name).string(); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::filesystem::path Example(const std::string& name) {
  return std::filesystem::path(AMBRIX_SOURCE_DIR) / "examples" / name;
}

}  // namespace ambrix::test
