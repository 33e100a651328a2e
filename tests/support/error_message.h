#pragma once

#include <string>

#include "text/error.h"

namespace ambrix::testing {

/// The message of the ambrix::Error that `action` raises, or "" when it
/// raises none.
template <class Action>
std::string ErrorMessageOf(Action&& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace ambrix::testing
