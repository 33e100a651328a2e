#pragma once

#include <string>
#include <string_view>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWord;
class TParserWordList;

// RAISERROR as the target reads it: RAISERROR number ['format'] [, arg, ...],
// no comma after the number, placeholders %1!, %2!, ... in the format.

/// The printf placeholders of a Transact-SQL message format (%d, %i, %s, %u,
/// %x, %o with flags, width, precision and size) renumbered %Next!, %Next+1!,
/// ...; `Next` ends at the number after the last one. `Faithful` turns false
/// for a placeholder the target's form cannot say the same way: %%, a width
/// or precision *, %x or %o (printed in decimal), a number above 20. A %
/// that starts no placeholder stays as it is.
std::string RenumberPlaceholders(std::string_view Format, int& Next, bool& Faithful);

/// RAISERROR (message, severity, state [, arg, ...]) [WITH option, ...], the
/// call word `Call` ("RAISERROR (") of `Words`:
/// - a message text becomes RAISERROR 50000 'text', arg, ... (50000 is the
///   number the source server gives such a message); a message built with +
///   becomes one format: its string literals joined, every other operand a
///   placeholder whose value is appended to the arguments; a message that is
///   a variable or an expression without a string becomes '%1!', message;
/// - severity 0 to 10 (an information, not an error) gives PRINT 'text', arg,
///   ... instead (alarm PrintArguments when it has arguments);
/// - a message number stays when it is 17001..99999, otherwise 99999 stands
///   in (alarm RaiserrorNumber for every numbered message);
/// - WITH NOWAIT / LOG / SETERROR are commented out (alarm RaiserrorOption);
/// - placeholders that cannot be renumbered faithfully, and a variable message
///   with arguments, raise RaiserrorFormat.
void ConvertRaiseErrorCall(const TConvertContext& Context, TParserWordList& Words, TParserWord& Call);

/// RAISERROR number message written without brackets (the older form, the
/// target's own): the number is checked as above, and a message held in a
/// variable becomes '%1!', @variable.
void ConvertRaiseErrorStatement(const TConvertContext& Context, TParserWordList& Words, TParserWord& Statement);

}  // namespace ambrix
