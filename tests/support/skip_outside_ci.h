#pragma once

// A test that needs something the machine may lack (a PostgreSQL server, the
// shared corpus) skips without it, and says why. Under CI (the environment
// variable CI set, as CI services and .ci/run set it) the same lack fails the
// test instead: a CI run must never stay green by running less.

#include <cstdlib>
#include <string_view>

#include <gtest/gtest.h>

namespace ambrix::test {

/// True when CI is set to anything but "", "0" or "false".
inline bool InCi() {
  const char* ci = std::getenv("CI");
  if (ci == nullptr) return false;
  const std::string_view value(ci);
  return !value.empty() && value != "0" && value != "false";
}

}  // namespace ambrix::test

/// Skips the test with `why`, or fails it under CI; returns from the calling
/// function either way (use it in a test body or in SetUp).
#define AMBRIX_SKIP_OUTSIDE_CI(why)                                                      \
  do {                                                                                    \
    if (::ambrix::test::InCi())                                                           \
      GTEST_FAIL() << "CI is set, so this cannot be skipped: " << (why);                  \
    else                                                                                  \
      GTEST_SKIP() << (why);                                                              \
  } while (false)
