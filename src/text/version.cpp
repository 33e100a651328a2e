#include "text/version.h"

namespace ambrix {

const char* Version() { return "0.1.0"; }

}  // namespace ambrix
