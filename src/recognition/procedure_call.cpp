#include "recognition/procedure_call.h"

#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

bool IsWordCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '_' ||
         c == '@' || c == '#' || c == '$';
}

void AppendWordText(const TParserWord& Word, const std::string& Comment, std::string& Text) {
  if (Word.TypeName() == Comment) return;
  // Reserved words as the target's scripts mostly write them: in lower case.
  const std::string piece = Word.Term->Kind == tkDefined ? LowerCase(Word.Text()) : Word.Text();
  if (!Text.empty() && !piece.empty() && IsWordCharacter(Text.back()) && IsWordCharacter(piece.front())) Text += ' ';
  Text += piece;
  if (Word.Children) {
    const bool raw = Word.TypeName() == "OBJECT_NAME" || Word.TypeName() == "TEXT";
    for (const TParserWord* child : *Word.Children) {
      if (raw) Text += child->Text();
      else AppendWordText(*child, Comment, Text);
    }
    if (!Word.Term->EndWords.empty()) Text += Word.Term->EndText();
  }
}

}  // namespace

int ProcedureName(const TConvertContext& Context, const TParserWordList& Words, int Index, std::string& Name) {
  const std::vector<std::string> comment{Context.CommentTermName};
  // A part: a plain word, a delimited name or a reserved word (sp_addtype
  // is one); not a bracket, a literal, an operator.
  auto part = [&](int i) {
    if (i < 0) return false;
    const TParserWord& word = *Words.Words(i);
    if (word.TypeName() == "OBJECT_NAME") return true;
    return word.Term->Kind == tkText ? word.Text()[0] != '@' : word.Term->IsWord && word.Term->EndWords.empty();
  };
  int last = Index < 0 ? -1 : Words.IndexOfNotType(Index, comment);
  if (!part(last)) return -1;
  for (int next = Words.NextNotType(last, 1, comment); next >= 0 && Words.Words(next)->Term == Context.ObjectDivTerm;
       next = Words.NextNotType(last, 1, comment)) {
    last = next;
    const int after = Words.NextNotType(next, 1, comment);
    if (after >= 0 && Words.Words(after)->Term == Context.ObjectDivTerm) continue;  // db..procedure
    if (!part(after)) return -1;
    last = after;
  }
  const TParserWord& word = *Words.Words(last);
  if (word.TypeName() == "OBJECT_NAME")
    Name = word.Children && !word.Children->Empty() ? word.Children->Words(0)->Text() : std::string();
  else
    Name = word.Text();
  return last;
}

int ProcedureArguments(const TConvertContext& Context, const TParserWordList& Words) {
  const std::vector<std::string> comment{Context.CommentTermName};
  const int key = Words.IndexOfNotType(0, comment);
  if (key < 0) return -1;
  const TParserWord& word = *Words.Words(key);
  if (word.Text() != "EXEC" && word.Text() != "EXECUTE") return Words.NextNotType(key, 1, comment);
  std::string name;
  const int last = ProcedureName(Context, Words, key + 1, name);
  return last < 0 ? -1 : Words.NextNotType(last, 1, comment);
}

std::vector<TProcedureArgument> ReadProcedureArguments(const TConvertContext& Context,
                                                       const TParserWordList& Words, int From) {
  std::vector<TProcedureArgument> arguments;
  const std::vector<std::string> comment{Context.CommentTermName};
  const int count = Words.Count();
  for (int from = From < 0 ? count : From; from < count;) {
    // One argument: the words up to the next list separator.
    int to = from;
    while (to < count && Words.Words(to)->Term != Context.ListDivTerm) ++to;
    const int next = to + 1;
    int first = Words.IndexOfNotType(from, comment);
    int last = Words.LastIndexOfNotType(to - 1, comment);
    from = next;
    if (first < 0 || first >= to || last < first) continue;
    TProcedureArgument argument;
    const TParserWord& lead = *Words.Words(first);
    const int equals = Words.NextNotType(first, 1, comment);
    if (lead.Term->Kind == tkText && lead.Text().size() > 1 && lead.Text()[0] == '@' && equals >= 0 &&
        equals <= last && Words.Words(equals)->Text() == "=") {
      argument.Parameter = lead.Text();
      first = Words.NextNotType(equals, 1, comment);
      if (first < 0 || first > last) continue;
    }
    // N'...' is the literal without its national prefix.
    int value = first;
    if (value < last && Words.Words(value)->Term->Kind == tkText && UpperCase(Words.Words(value)->Text()) == "N")
      value = Words.NextNotType(value, 1, comment);
    if (value == last && Words.Words(value)->Term == Context.TextTerm) argument.Literal = Words.Words(value);
    argument.First = first;
    argument.Last = last;
    arguments.push_back(argument);
  }
  return arguments;
}

const TProcedureArgument* FindArgument(const std::vector<TProcedureArgument>& Arguments,
                                       const std::string& Parameter, int Position) {
  int position = 0;
  for (const TProcedureArgument& argument : Arguments) {
    if (argument.Parameter.empty()) {
      if (position++ == Position) return &argument;
    } else if (SameText(argument.Parameter, Parameter)) {
      return &argument;
    }
  }
  return nullptr;
}

std::string ArgumentText(const TParserWordList& Words, const TProcedureArgument& Argument) {
  if (Argument.Literal != nullptr) {
    const TParserWord& literal = *Argument.Literal;
    return literal.Children && !literal.Children->Empty() ? literal.Children->Words(0)->Text() : std::string();
  }
  if (Argument.First == Argument.Last && Words.Words(Argument.First)->TypeName() == "OBJECT_NAME") {
    const TParserWord& name = *Words.Words(Argument.First);
    return name.Children && !name.Children->Empty() ? name.Children->Words(0)->Text() : std::string();
  }
  std::string text;
  const std::string comment = "#COMMENT#";
  for (int i = Argument.First; i >= 0 && i <= Argument.Last; ++i) AppendWordText(*Words.Words(i), comment, text);
  return text;
}

}  // namespace ambrix
