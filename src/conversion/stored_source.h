#pragma once

#include <string>

#include "recognition/convert_context.h"

namespace ambrix {

// The stored objects a binding names (the default of sp_bindefault, the rule
// of sp_bindrule) are read through the context's lookup.

/// What follows the keyword AS in the stored source of the object `Name`
/// (CREATE DEFAULT d AS 0, CREATE RULE r AS @v > 0), right-trimmed: AS is
/// found as a word in any letter case, outside comments and strings. Empty
/// when there is no such object (or no lookup), no AS, or nothing after it.
std::string StoredSourceBody(const TConvertContext& Context, const std::string& Name);

}  // namespace ambrix
