#pragma once

#include "text/error.h"

namespace ambrix {

/// Runs `work`, then `cleanup`, also when `work` throws. When both fail, the
/// failure of `work` is the one that goes on: it says what went wrong, the
/// cleanup's failure only follows from it.
template <class Work, class Cleanup>
void RunGuarded(Work&& work, Cleanup&& cleanup) {
  try {
    work();
  } catch (...) {
    try {
      cleanup();
    } catch (...) {
    }
    throw;
  }
  cleanup();
}

/// Runs `work`. Without `keepGoing` its failure goes on; with it, a failure
/// of the system's own (ambrix::Error) goes to `skip` and the run carries on.
template <class Work, class Skip>
void RunOrSkip(bool keepGoing, Work&& work, Skip&& skip) {
  if (!keepGoing) {
    work();
    return;
  }
  try {
    work();
  } catch (const Error& error) {
    skip(error);
  }
}

}  // namespace ambrix
