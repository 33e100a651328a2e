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
};

/// A failure reported by the repository (database driver); carries the
/// driver's own text.
class RepositoryError : public std::runtime_error {
 public:
  explicit RepositoryError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace ambrix
