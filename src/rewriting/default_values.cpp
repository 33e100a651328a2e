#include "rewriting/default_values.h"

#include <cctype>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// SQL Server functions a default may call, and the special value of SQL
// Anywhere 9 that gives the same (CREATE TABLE, default-value).
struct TDefaultFunction {
  std::string_view Name;
  bool Called;  // written with brackets: getdate(); false: current_user
  std::string_view Target;
};

constexpr TDefaultFunction kDefaultFunctions[] = {
    {"GETDATE", true, "current timestamp"},     {"CURRENT_TIMESTAMP", false, "current timestamp"},
    {"GETUTCDATE", true, "current utc timestamp"}, {"USER_NAME", true, "current user"},
    {"SUSER_SNAME", true, "current user"},      {"SUSER_NAME", true, "current user"},
    {"CURRENT_USER", false, "current user"},    {"SESSION_USER", false, "current user"},
    {"SYSTEM_USER", false, "current user"},     {"USER", false, "current user"},
};

const TDefaultFunction* DefaultFunction(std::string_view Name, bool Called) {
  for (const TDefaultFunction& function : kDefaultFunctions)
    if (function.Called == Called && SameText(function.Name, Name)) return &function;
  return nullptr;
}

// The only significant word of From..To; -1 when there are none or several.
int OnlyWord(const TConvertContext& Context, TParserWordList& List, int From, int To) {
  const int first = FirstSignificant(Context, List, From);
  if (first < 0 || first > To) return -1;
  const int next = NextSignificant(Context, List, first);
  return next >= 0 && next <= To ? -1 : first;
}

bool IsBlock(const TConvertContext& Context, const TParserWord& Word) {
  return Word.Term == Context.BlockTerm && Word.Children != nullptr;
}

// True when `List` holds one function call and nothing else: a pair
// "NAME (" ... ")", or a function's word and its bracket block.
bool IsCall(const TConvertContext& Context, TParserWordList& List) {
  const int name = FirstSignificant(Context, List, 0);
  if (name < 0) return false;
  const TParserWord& word = *List[name];
  const int next = NextSignificant(Context, List, name);
  if (word.Term->Kind != tkDefined || word.Term == Context.BlockTerm || IsType(word, "OBJECT_NAME")) return false;
  if (next < 0) return !word.Term->EndWords.empty() && SameText(word.Term->TypeName, "sysfunc");
  return SameText(word.Term->TypeName, "sysfunc") && IsBlock(Context, *List[next]) && NextSignificant(Context, List, next) < 0;
}

// The special value for the call the words From..To of `List` hold: NAME ( ),
// a pair "NAME (" with nothing inside, or a bare NAME.
const TDefaultFunction* CallIn(const TConvertContext& Context, TParserWordList& List, int From, int To) {
  const int name = FirstSignificant(Context, List, From);
  if (name < 0 || name > To) return nullptr;
  const TParserWord& word = *List[name];
  const int next = NextSignificant(Context, List, name);
  const bool alone = next < 0 || next > To;
  if (alone && word.Term->EndWords.empty()) return DefaultFunction(WordText(word), false);
  if (alone && word.Term != Context.BlockTerm &&
      (!word.Children || FirstSignificant(Context, *word.Children, 0) < 0))
    return DefaultFunction(word.Term->StartWords.front(), true);
  if (!alone && IsBlock(Context, *List[next]) && FirstSignificant(Context, *List[next]->Children, 0) < 0) {
    const int after = NextSignificant(Context, List, next);
    if (after < 0 || after > To) return DefaultFunction(WordText(word), true);
  }
  return nullptr;
}

// The index just past the bracket that closes the one opening at `Open` of
// `Text`, quotes respected; npos when it does not close.
std::size_t PastClosingBracket(std::string_view Text, std::size_t Open) {
  int depth = 0;
  for (std::size_t i = Open; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\'' || c == '"') {
      const std::size_t end = Text.find(c, i + 1);
      if (end == std::string_view::npos) return std::string_view::npos;
      i = end;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace

namespace {

// The whole value From..To of `List` becomes the special value.
void ReplaceValue(TParserWordList& List, int From, int To, std::string_view Target) {
  TParserTextWord* first = FirstTextWordIn(List, From, To);
  TParserTextWord* last = LastTextWordIn(List, From, To);
  if (first == nullptr || last == nullptr) return;
  first->Text = std::string(Target);
  if (first != last) DeleteTextRange(*first->NextWord(), *last, false);
}

}  // namespace

void ConvertDefaultValue(const TConvertContext& Context, TParserWordList& List, int From, int To) {
  if (To < 0 || To >= List.Count()) To = List.Count() - 1;

  // Down through the brackets that hold nothing but brackets.
  TParserWordList* list = &List;
  int from = From;
  int to = To;
  for (int only = OnlyWord(Context, *list, from, to); only >= 0 && IsBlock(Context, *(*list)[only]);
       only = OnlyWord(Context, *list, from, to)) {
    TParserWord& block = *(*list)[only];
    TParserWordList& inside = *block.Children;
    const int inner = OnlyWord(Context, inside, 0, inside.Count() - 1);
    if (const TDefaultFunction* function = CallIn(Context, inside, 0, inside.Count() - 1)) {
      ReplaceValue(List, From, To, function->Target);
      return;
    }
    // (f(x)): a built-in function is a default of its own, without brackets.
    if (IsCall(Context, inside)) {
      DeleteDelimiters(block, true);
      return;
    }
    if (inner < 0 || !IsBlock(Context, *inside[inner])) return;
    DeleteDelimiters(block, true);
    list = &inside;
    from = 0;
    to = inside.Count() - 1;
  }
  if (const TDefaultFunction* function = CallIn(Context, *list, from, to))
    ReplaceValue(List, From, To, function->Target);
}

std::string ConvertDefaultText(std::string_view Expression) {
  std::string_view value = Trim(Expression);
  // Brackets around the whole expression go, as often as they are doubled.
  while (!value.empty() && value.front() == '(' && PastClosingBracket(value, 0) == value.size())
    value = Trim(value.substr(1, value.size() - 2));
  // NAME() or NAME: a function the table knows.
  std::string_view name = value;
  bool called = false;
  if (name.size() >= 2 && name.back() == ')') {
    const std::size_t open = name.find('(');
    if (open != std::string_view::npos && Trim(name.substr(open + 1, name.size() - open - 2)).empty()) {
      name = TrimRight(name.substr(0, open));
      called = true;
    }
  }
  if (const TDefaultFunction* function = DefaultFunction(name, called)) return std::string(function->Target);
  // f(x): a function call is a default without brackets.
  if (value.size() > 2 && value.back() == ')' && (std::isalpha(static_cast<unsigned char>(value.front())) || value.front() == '_')) {
    const std::size_t open = value.find('(');
    const std::string_view head = TrimRight(value.substr(0, open));
    bool plain = open != std::string_view::npos;
    for (const char c : head) plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    if (plain && PastClosingBracket(value, open) == value.size()) return std::string(value);
  }
  // A line comment at the end of the expression would swallow the closing
  // bracket: the bracket then goes on a line of its own.
  const bool lineComment = value.find("--") != std::string_view::npos;
  return "(" + std::string(value) + (lineComment ? "\r\n)" : ")");
}

}  // namespace ambrix
