#pragma once

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

}  // namespace ambrix
