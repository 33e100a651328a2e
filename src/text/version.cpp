#include "text/version.h"

namespace ambrix {

// AMBRIX_VERSION is the project's version, set by the build.
const char* Version() { return AMBRIX_VERSION; }

}  // namespace ambrix
