#pragma once

#include <stdexcept>
#include <string>

namespace ambrix {

/// The one exception type of the conversion core and the driver for the
/// system's own failures. The message is the user-facing text (UTF-8, Russian
/// where the system speaks Russian), exactly as it is shown to the user.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
  /// An error at a place of the text being read: `line` from 0 within it,
  /// `col` from 1 (the message names the place in its own way as well).
  Error(const std::string& message, int line, int col) : std::runtime_error(message), Line(line), Col(col) {}

  bool HasPlace() const { return Line >= 0; }
  int Line = -1;  ///< -1: the error names no place
  int Col = 0;
};

/// A failure reported by the repository (database driver); carries the
/// driver's own text.
class RepositoryError : public std::runtime_error {
 public:
  explicit RepositoryError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace ambrix
