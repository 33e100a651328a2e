#pragma once

#include <cstddef>
#include <vector>

#include "conversion/batch_conversion.h"

namespace ambrix {

/// The longest object name a repository stores (MetaObject.Object), in
/// characters: that of SQL Server's and the target's own names.
inline constexpr std::size_t kObjectNameLimit = 128;

/// Throws ambrix::Error, naming the object and the limit, when an object of
/// the batch cannot be stored (a name too long, such as the one made for an
/// unnamed constraint of a table with a long name). Checked before any
/// object of the batch is stored: a batch is stored whole or, with its
/// failure reported, not at all, by every way of converting alike.
void CheckObjectLimits(const std::vector<TBatchObject>& objects);

}  // namespace ambrix
