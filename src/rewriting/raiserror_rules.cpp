#include "rewriting/raiserror_rules.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/name_rules.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

/// What the source server numbers a message given as text; the target takes
/// it as it is, and a caller that tests @@ERROR keeps working.
constexpr const char* kTextMessageNumber = "50000";
/// The target's numbers of user messages: five digits above 17000.
constexpr long long kLowestNumber = 17001;
constexpr long long kHighestNumber = 99999;
/// The number that stands in for one the target cannot take.
constexpr const char* kStandInNumber = "99999";
/// The target's placeholders run from %1! to %20!.
constexpr int kMostPlaceholders = 20;
/// Severities up to 10 are information messages: the source server prints
/// them and goes on, no error is raised.
constexpr long long kHighestInformationSeverity = 10;
/// The options of RAISERROR ... WITH, none of which the target has.
constexpr std::array<std::string_view, 3> kOptions{"NOWAIT", "LOG", "SETERROR"};

/// The value of an unsigned integer literal of at most 10 digits; -1 for any
/// other word.
long long IntegerValue(const TParserWord& Word) {
  if (Word.Term->Kind != tkText) return -1;
  const std::string& text = WordText(Word);
  if (text.empty() || text.size() > 10) return -1;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsOption(const TParserWord& Word) {
  return std::any_of(kOptions.begin(), kOptions.end(),
                     [&](std::string_view option) { return WordTextEquals(Word, option); });
}

bool IsTextLiteral(const TConvertContext& Context, const TParserWord& Word) { return Word.Term == Context.TextTerm; }

/// The raw text between the quotes of a string literal (quotes inside it
/// stay doubled), or null when a rule has taken it away.
TParserTextWord* LiteralInterior(const TParserWord& Literal) {
  if (!Literal.Children || Literal.Children->Empty()) return nullptr;
  return Literal.Children->Words(0)->StartTextWord;
}

/// The content of a string literal from its interior text word: the blanks
/// and line breaks before the first character are that word's layout.
std::string LiteralText(const TParserTextWord& Interior) {
  std::string text;
  for (int i = 0; i < Interior.LineBreaks; ++i) text += "\r\n";
  text.append(static_cast<std::size_t>(std::max(Interior.Spaces, 0)), ' ');
  return text + Interior.Text;
}

/// One operand of the message expression: indices First..Last of the message
/// list, and the string literal it consists of (null when it is anything
/// else).
struct TOperand {
  int First;
  int Last;
  const TParserWord* Literal;
};

/// The message cut at its + operators. An N before a string literal belongs
/// to the literal.
std::vector<TOperand> SplitMessage(const TConvertContext& Context, const TParserWordList& Message) {
  std::vector<TOperand> operands;
  int first = -1;
  int last = -1;
  int words = 0;
  const TParserWord* literal = nullptr;
  auto close = [&]() {
    operands.push_back({first, last, words == 1 ? literal : nullptr});
    first = last = -1;
    words = 0;
    literal = nullptr;
  };
  for (int i = 0; i < Message.Count(); ++i) {
    const TParserWord& word = *Message[i];
    if (IsComment(Context, word)) continue;
    if (word.Term->Kind == tkDefined && WordTextIs(word, "+")) {
      if (first < 0) return {};  // a sign, not a concatenation
      close();
      continue;
    }
    if (first < 0) first = i;
    last = i;
    if (IsNationalPrefix(Context, Message, i)) continue;
    ++words;
    literal = IsTextLiteral(Context, word) ? &word : nullptr;
  }
  if (first < 0) return {};
  close();
  return operands;
}

/// Inserts ", " and moves the text words First..Last of an argument before
/// `Close` (the call's closing bracket), on the line of what precedes it.
void MoveToArguments(TParserWordList& Words, TParserTextWord& Close, TParserTextWord& First, TParserTextWord& Last) {
  InsertTextBefore(Words, &Close, ",", 0, 0);
  Close.Owner->MoveRangeBefore(&Close, &First, &Last);
  First.Spaces = 1;
  First.LineBreaks = 0;
}

/// Deletes the call's closing bracket; a line comment before it still ends
/// its line.
void DeleteClosingBracket(TParserTextWord& Close) {
  TParserTextWord* before = Close.PrevWord();
  Close.Owner->Delete(&Close, false);
  if (before) KeepLineCommentsClosed(*before, *before);
}

/// The number of a numbered message as the target takes it; `Kept` tells
/// whether it stays as written.
std::string TargetNumber(long long Value, bool& Kept) {
  Kept = Value >= kLowestNumber && Value <= kHighestNumber;
  return Kept ? std::to_string(Value) : kStandInNumber;
}

/// WITH option, ... after the RAISERROR call at `Index` of `List` is put in a
/// comment.
void CommentOutOptions(const TConvertContext& Context, TParserWordList& Words, TParserWordList& List, int Index) {
  const int with = NextSignificant(Context, List, Index);
  if (with < 0 || !WordTextEquals(*List[with], "WITH")) return;
  int last = -1;
  for (int option = NextSignificant(Context, List, with); option >= 0 && IsOption(*List[option]);) {
    last = option;
    const int separator = NextSignificant(Context, List, option);
    if (separator < 0 || List[separator]->Term != Context.ListDivTerm) break;
    option = NextSignificant(Context, List, separator);
  }
  if (last < 0) return;
  TParserTextWord* first = FirstTextWordOf(*List[with]);
  TParserTextWord* end = LastTextWordOf(*List[last]);
  if (!first || !end) return;
  const std::string options = PrintedText(Words, *first, *end);
  TParserTextWord& open = InsertTextBefore(Words, first, "/*", first->Spaces, first->LineBreaks);
  first->Spaces = 1;
  first->LineBreaks = 0;
  InsertTextAfter(Words, *end, "*/", 1, 0);
  MarkAlarm(Words, &open, "RaiserrorOption", options);
}

}  // namespace

std::string RenumberPlaceholders(std::string_view Format, int& Next, bool& Faithful) {
  std::string out;
  out.reserve(Format.size() + 8);
  std::size_t i = 0;
  while (i < Format.size()) {
    const char c = Format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < Format.size() && Format[i + 1] == '%') {
      // The target's reading of %% is not known.
      Faithful = false;
      out += "%%";
      i += 2;
      continue;
    }
    // % [flags] [width] [.precision] [h | l] type
    std::size_t j = i + 1;
    bool star = false;
    while (j < Format.size() && std::string_view("-+ 0#").find(Format[j]) != std::string_view::npos) ++j;
    auto digits = [&]() {
      if (j < Format.size() && Format[j] == '*') {
        star = true;
        ++j;
        return;
      }
      while (j < Format.size() && Format[j] >= '0' && Format[j] <= '9') ++j;
    };
    digits();
    if (j < Format.size() && Format[j] == '.') {
      ++j;
      digits();
    }
    if (j < Format.size() && (Format[j] == 'h' || Format[j] == 'l')) ++j;
    const char type = j < Format.size() ? Format[j] : '\0';
    if (std::string_view("diosuxX").find(type) == std::string_view::npos || type == '\0') {
      out += c;  // no placeholder: the % stays as written
      ++i;
      continue;
    }
    // A * takes its width from an argument: the numbers of the target's
    // placeholders would no longer match the arguments.
    if (star || type == 'o' || type == 'x' || type == 'X' || Next > kMostPlaceholders) Faithful = false;
    out += "%" + std::to_string(Next++) + "!";
    i = j + 1;
  }
  return out;
}

void ConvertRaiseErrorCall(const TConvertContext& Context, TParserWordList& Words, TParserWord& Call) {
  if (!Call.StartTextWord || !Call.EndTextWord) return;
  TParserTextWord& head = *Call.StartTextWord;
  TParserTextWord& close = *Call.EndTextWord;
  // The source text, for an alarm; printed before the first change.
  auto source = [&]() { return PrintedText(Words, head, close); };
  TParserWordList items(false);
  if (Call.Children && !Call.Children->Empty()) Call.Children->SplitByTerm(Context.ListDivTerm, true, items, false);
  TParserWordList* message = items.Empty() ? nullptr : items.Words(0)->Children.get();
  const std::vector<TOperand> operands =
      message == nullptr ? std::vector<TOperand>{} : SplitMessage(Context, *message);
  if (operands.empty()) {
    MarkAlarm(Words, &head, "RaiserrorFormat", source());
    return;
  }
  TParserWordList& msg = *message;
  TParserTextWord* messageFirst = FirstTextWordIn(msg, 0, msg.Count() - 1);
  TParserTextWord* messageLast = LastTextWordIn(msg, 0, msg.Count() - 1);
  if (!messageFirst || !messageLast) return;

  bool information = false;
  if (items.Count() > 1) {
    TParserWordList& severity = *items.Words(1)->Children;
    const int first = FirstSignificant(Context, severity, 0);
    const long long value = first < 0 ? -1 : IntegerValue(*severity[first]);
    information = value >= 0 && value <= kHighestInformationSeverity && NextSignificant(Context, severity, first) < 0;
  }
  const int sourceArguments = std::max(0, items.Count() - 3);
  const long long number =
      operands.size() == 1 && operands[0].First == operands[0].Last ? IntegerValue(*msg[operands[0].First]) : -1;
  const bool hasLiteral = std::any_of(operands.begin(), operands.end(), [](const TOperand& o) { return o.Literal; });

  // The new format first, so that the alarms can name the text as it was.
  bool faithful = true;
  std::string format;
  std::vector<std::pair<int, int>> moved;  // message indices of the operands that become arguments
  if (number >= 0) {
  } else if (!hasLiteral) {
    // A format held in a variable stays the format, its placeholders the
    // user's to renumber; a value without arguments is printed as it is.
    faithful = sourceArguments == 0;
  } else if (operands.size() == 1) {
    int next = 1;
    if (TParserTextWord* interior = LiteralInterior(*operands[0].Literal))
      format = RenumberPlaceholders(interior->Text, next, faithful);
    if (next - 1 != sourceArguments) faithful = false;
  } else {
    // One format from the parts: the literals' placeholders name the
    // arguments given, every other operand becomes an argument after them.
    // The operands before the first literal are added up first, so they
    // make one value.
    int next = 1;
    int placeholder = sourceArguments;
    std::size_t k = 0;
    if (!operands[0].Literal) {
      while (!operands[k].Literal) ++k;
      moved.push_back({operands[0].First, operands[k - 1].Last});
      format += "%" + std::to_string(++placeholder) + "!";
    }
    for (; k < operands.size(); ++k) {
      const TOperand& operand = operands[k];
      if (operand.Literal) {
        if (TParserTextWord* interior = LiteralInterior(*operand.Literal))
          format += RenumberPlaceholders(LiteralText(*interior), next, faithful);
      } else {
        moved.push_back({operand.First, operand.Last});
        format += "%" + std::to_string(++placeholder) + "!";
      }
    }
    if (next - 1 != sourceArguments || placeholder > kMostPlaceholders) faithful = false;
  }
  const int appended = !hasLiteral && sourceArguments == 0 ? 1 : static_cast<int>(moved.size());
  const bool printArguments = number < 0 && information && sourceArguments + appended > 0;
  const std::string text = number >= 0 || !faithful || printArguments ? source() : std::string();

  // Severity and state go; the arguments after them stay in place.
  if (items.Count() > 1) {
    TParserWordList& dropped = *items.Words(std::min(items.Count(), 3) - 1)->Children;
    if (TParserTextWord* droppedEnd = LastTextWordIn(dropped, 0, dropped.Count() - 1))
      DeleteTextRange(*messageLast->NextWord(), *droppedEnd, false);
  }
  CommentOutOptions(Context, Words, *Call.Owner, Call.IndexInOwner());

  if (number >= 0) {
    // A numbered message: RAISERROR number [, arg, ...].
    bool kept = false;
    head.Text = "raiserror";
    messageFirst->Text = TargetNumber(number, kept);
    messageFirst->Spaces = std::max(messageFirst->Spaces, 1);
    DeleteClosingBracket(close);
    MarkAlarm(Words, &head, "RaiserrorNumber", text);
    return;
  }
  head.Text = information ? "print" : std::string("raiserror ") + kTextMessageNumber;
  TParserTextWord* first = messageFirst;  // the first word after the head
  if (!hasLiteral) {
    if (sourceArguments == 0) {
      first = &InsertTextBefore(Words, messageFirst, "'%1!',", messageFirst->Spaces, messageFirst->LineBreaks);
      messageFirst->Spaces = 1;
      messageFirst->LineBreaks = 0;
    }
  } else if (operands.size() == 1) {
    if (TParserTextWord* interior = LiteralInterior(*operands[0].Literal)) interior->Text = format;
  } else {
    first = &InsertTextBefore(Words, messageFirst, "'" + format + "'", messageFirst->Spaces, messageFirst->LineBreaks);
    // The literals and the + between the operands go, comments stay; the
    // other operands become arguments.
    std::vector<bool> kept(static_cast<std::size_t>(msg.Count()), false);
    for (const auto& [from, to] : moved)
      for (int i = from; i <= to; ++i) kept[static_cast<std::size_t>(i)] = true;
    for (int i = 0; i < msg.Count(); ++i) {
      TParserWord& word = *msg[i];
      if (!kept[static_cast<std::size_t>(i)] && !IsComment(Context, word)) DeleteWhole(word, false);
    }
    for (const auto& [from, to] : moved) {
      TParserTextWord* firstWord = FirstTextWordIn(msg, from, to);
      TParserTextWord* lastWord = LastTextWordIn(msg, from, to);
      if (firstWord && lastWord) MoveToArguments(Words, close, *firstWord, *lastWord);
    }
  }
  if (first->LineBreaks == 0) first->Spaces = std::max(first->Spaces, 1);
  KeepLineCommentsClosed(head, close);
  DeleteClosingBracket(close);

  if (!faithful) MarkAlarm(Words, &head, "RaiserrorFormat", text);
  if (printArguments) MarkAlarm(Words, &head, "PrintArguments", text);
}

void ConvertRaiseErrorStatement(const TConvertContext& Context, TParserWordList& Words, TParserWord& Statement) {
  if (!Statement.StartTextWord) return;
  TParserWordList& list = *Statement.Owner;
  const int index = Statement.IndexInOwner();
  int end = FirstStatementKeyword(list, index + 1);
  end = end < 0 ? list.Count() - 1 : PrevSignificant(Context, list, end);
  auto source = [&]() {
    TParserTextWord* last = end > index ? LastTextWordIn(list, index + 1, end) : nullptr;
    return PrintedText(Words, *Statement.StartTextWord, last ? *last : *Statement.StartTextWord);
  };
  const int number = NextSignificant(Context, list, index);
  const long long value = number < 0 || number > end ? -1 : IntegerValue(*list[number]);
  int message = value < 0 ? -1 : NextSignificant(Context, list, number);
  if (message > end) message = -1;
  if (value < 0 || message < 0) {
    // No number the target can check, or no text: looked up by number.
    MarkAlarm(Words, Statement.StartTextWord, "RaiserrorNumber", source());
    return;
  }
  bool kept = false;
  const std::string target = TargetNumber(value, kept);
  if (!kept) {
    MarkAlarm(Words, Statement.StartTextWord, "RaiserrorNumber", source());
    SetWordText(*list[number], target);
  }
  if (IsNationalPrefix(Context, list, message)) ++message;
  TParserWord& text = *list[message];
  if (IsTextLiteral(Context, text)) return;
  const int after = NextSignificant(Context, list, message);
  const bool variable = WordText(text).starts_with('@') && !WordText(text).starts_with("@@");
  if (!variable || (after >= 0 && after <= end)) {
    // An expression, or a variable format with arguments.
    MarkAlarm(Words, Statement.StartTextWord, "RaiserrorFormat", source());
    return;
  }
  if (!text.StartTextWord) return;
  TParserTextWord& start = *text.StartTextWord;
  InsertTextBefore(Words, &start, "'%1!',", start.Spaces, start.LineBreaks);
  start.Spaces = 1;
  start.LineBreaks = 0;
}

}  // namespace ambrix
