#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// Rules on the head of a code object: what stands between CREATE and the body.

/// WITH option, ... before the body of a procedure, function, view or trigger:
/// ENCRYPTION, SCHEMABINDING and VIEW_METADATA go (alarm ObjectOption, the
/// target has none of them); RECOMPILE, which the target takes, stays. The
/// WITH goes with the last option it held.
void RemoveObjectOptions(const TConvertContext& Context, TParserWordList& Words);

/// The defaults of a function's parameters (@a int = 5) go, with the alarm
/// FunctionParamDefault at each parameter: the target's functions take none.
void RemoveFunctionParameterDefaults(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
