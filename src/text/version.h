#pragma once

namespace ambrix {

/// The program's version, as `--version` and the About box show it.
const char* Version();

}  // namespace ambrix
