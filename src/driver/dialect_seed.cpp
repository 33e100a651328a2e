#include "driver/dialect_seed.h"

namespace ambrix {

std::vector<DialectTable> DialectTables() { return {}; }

}  // namespace ambrix
