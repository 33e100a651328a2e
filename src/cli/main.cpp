// The `ambrix` command: SQL Server 2000 scripts to SQL Anywhere 9, in one step
// or through projects in a repository.

#include <QCoreApplication>

#include "cli/app.h"

int main(int argc, char** argv) {
  // QtSql loads its database drivers as plugins, which needs the application object.
  QCoreApplication application(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return ambrix::cli::Run(args);
}
