// The `ambrix` command: SQL Server 2000 scripts to SQL Anywhere 9, in one step
// or through projects in a repository.

#include <csignal>

#include <QCoreApplication>

#include "cli/app.h"

// Read by jemalloc when the program is linked with it (and ignored
// otherwise): a conversion touches tens of megabytes of fresh memory, and in
// huge pages it takes a fault every two megabytes instead of every four
// kilobytes, and fewer TLB misses while it parses.
extern "C" {
const char* malloc_conf = "thp:always";
}

int main(int argc, char** argv) {
  // QtSql loads its database drivers as plugins, which needs the application object.
  QCoreApplication application(argc, argv);
  // A file over the size limit (ulimit -f) fails the write with EFBIG, which
  // is reported, instead of killing the program half-way through a file.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  return ambrix::cli::Run(args);
}
