#include "rewriting/rule_conventions.h"

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/target_names.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

std::vector<TParserWord*> Collect(TParserWordList& Words, std::initializer_list<std::string_view> Texts,
                                  bool ByStartText, std::initializer_list<std::string_view> SkippedTypes) {
  std::vector<TParserWord*> found;
  Words.FindAll(std::span<const std::string_view>(Texts.begin(), Texts.size()), ByStartText, found,
                std::span<const std::string_view>(SkippedTypes.begin(), SkippedTypes.size()));
  return found;
}

TParserTextWordList& TextOf(TParserWordList& Words) {
  TParserTextWordList* text = Words.RootTextList();
  if (text == nullptr) text = &Words.Root()->EnsureTextList();
  return *text;
}

std::string Doubled(const std::string& Name, char Quote) {
  std::string out;
  out.reserve(Name.size() + 2);
  for (char c : Name) {
    out += c;
    if (c == Quote) out += c;
  }
  return out;
}

}  // namespace

std::vector<TParserWord*> SearchStatement(const TConvertContext& Context, TParserWordList& Words,
                                          std::initializer_list<std::string_view> Texts) {
  return Collect(Words, Texts, true, {Context.CommentTermName, Context.TextTermName});
}

std::vector<TParserWord*> SearchStatementByFirstWord(const TConvertContext& Context, TParserWordList& Words,
                                                     std::initializer_list<std::string_view> Texts) {
  return Collect(Words, Texts, false, {Context.CommentTermName, Context.TextTermName});
}

std::vector<TParserWord*> SearchStatementWithStrings(const TConvertContext& Context, TParserWordList& Words,
                                                     std::initializer_list<std::string_view> Texts) {
  return Collect(Words, Texts, true, {Context.CommentTermName});
}

int FindInList(TParserWordList& List, const std::string& Text, int From, int To) {
  if (From < 0) From = 0;
  if (From >= List.Count()) return -1;
  if (To < 0 || To >= List.Count()) To = List.Count() - 1;
  if (To < From) return -1;
  return List.IndexOfText(From, Text, To);
}

// The significant-word steps run for nearly every word a rule looks at: they
// compare the one type name directly instead of building a type list.
int FirstSignificant(const TConvertContext& Context, TParserWordList& List, int From) {
  for (int i = From < 0 ? 0 : From; i < List.Count(); ++i)
    if (List[i]->TypeName() != Context.CommentTermName) return i;
  return -1;
}

int NextSignificant(const TConvertContext& Context, TParserWordList& List, int Index) {
  return FirstSignificant(Context, List, Index + 1);
}

int PrevSignificant(const TConvertContext& Context, TParserWordList& List, int Index) {
  for (int i = (Index > List.Count() ? List.Count() : Index) - 1; i >= 0; --i)
    if (List[i]->TypeName() != Context.CommentTermName) return i;
  return -1;
}

int FirstStatementKeyword(TParserWordList& List, int From) {
  if (From < 0) From = 0;
  if (From >= List.Count()) return -1;
  return List.IndexOfTag(From, "main");
}

int FindTerm(TParserWordList& List, const TTerm* Term, int From) {
  if (From < 0) From = 0;
  if (Term == nullptr || From >= List.Count()) return -1;
  return List.IndexOfTerm(From, Term);
}

const std::string& WordText(const TParserWord& Word) { return Word.Text(); }

bool WordTextIs(const TParserWord& Word, std::string_view Text) { return Word.Text() == Text; }

bool WordTextEquals(const TParserWord& Word, std::string_view Text) {
  return SameText(Trim(Word.Text()), Trim(Text));
}

bool IsType(const TParserWord& Word, std::string_view TypeName) { return Word.TypeName() == TypeName; }

bool IsComment(const TConvertContext& Context, const TParserWord& Word) {
  return Word.TypeName() == Context.CommentTermName;
}

std::string FirstChildText(const TParserWord& Word) {
  if (!Word.Children || Word.Children->Empty()) return {};
  return Word.Children->Words(0)->Text();
}

std::string PrintedText(TParserWordList& Words, TParserTextWord& First, TParserTextWord& Last) {
  std::vector<std::string> lines;
  TextOf(Words).Print(&First, &Last, lines);
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += lines[i];
  }
  return std::string(Trim(joined));
}

bool SetWordText(TParserWord& Word, const std::string& Text) {
  if (Word.StartTextWord == nullptr) return false;
  Word.StartTextWord->Text = Text;
  return true;
}

bool DeleteStartWord(TParserWord& Word, bool KeepLayout) {
  TParserTextWord* start = Word.StartTextWord;
  if (start == nullptr) return false;
  start->Owner->Delete(start, KeepLayout);
  return true;
}

bool DeleteEndWord(TParserWord& Word, bool KeepLayout) {
  TParserTextWord* end = Word.EndTextWord;
  if (end == nullptr) return false;
  end->Owner->Delete(end, KeepLayout);
  return true;
}

bool DeleteDelimiters(TParserWord& Word, bool KeepStartLayout) {
  if (Word.StartTextWord == nullptr) return false;
  TParserTextWord* end = Word.EndTextWord;
  DeleteStartWord(Word, KeepStartLayout);
  if (end != nullptr) end->Owner->Delete(end, false);
  return true;
}

bool DeleteWhole(TParserWord& Word, bool KeepLayout) {
  TParserTextWord* start = Word.StartTextWord;
  if (start == nullptr) return false;
  start->Owner->DeleteRange(start, Word.LastTextWord(), KeepLayout);
  return true;
}

void DeleteTextRange(TParserTextWord& First, TParserTextWord& Last, bool KeepLayout) {
  First.Owner->DeleteRange(&First, &Last, KeepLayout);
}

TParserTextWord& InsertTextBefore(TParserWordList& Words, TParserTextWord* At, const std::string& Text,
                                  int Spaces, int LineBreaks, bool Glued) {
  return *TextOf(Words).InsertBefore(nullptr, true, Glued, Spaces, LineBreaks, At, Text);
}

TParserTextWord& InsertTextAfter(TParserWordList& Words, TParserTextWord& At, const std::string& Text,
                                 int Spaces, int LineBreaks, bool Glued) {
  return *TextOf(Words).InsertAfter(nullptr, true, Glued, Spaces, LineBreaks, &At, Text);
}

TParserTextWord& AppendText(TParserWordList& Words, const std::string& Text, int Spaces, int LineBreaks) {
  return *TextOf(Words).Append(nullptr, true, Spaces, LineBreaks, Text);
}

TParserTextWord* FirstTextWord(TParserWordList& Words) {
  TParserTextWordList* text = Words.RootTextList();
  return text == nullptr ? nullptr : text->First();
}

void MarkAlarm(TParserWordList& Words, TParserTextWord* At, const std::string& VarName, std::string_view Word) {
  // One line of at most 128 characters, as an alarm's word is kept.
  std::string word;
  word.reserve(Word.size());
  int characters = 0;
  for (std::size_t i = 0; i < Word.size() && characters < 128;) {
    const unsigned char c = static_cast<unsigned char>(Word[i]);
    if (c <= ' ') {
      if (!word.empty() && word.back() != ' ') {
        word += ' ';
        ++characters;
      }
      ++i;
      continue;
    }
    std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + length > Word.size()) length = Word.size() - i;
    word.append(Word, i, length);
    i += length;
    ++characters;
  }
  while (!word.empty() && word.back() == ' ') word.pop_back();
  TextOf(Words).MarkAlarm(At, VarName, std::move(word));
}

void MarkAlarm(TParserWordList& Words, TParserWord& At, const std::string& VarName) {
  MarkAlarm(Words, FirstTextWordOf(At), VarName, At.Text());
}

std::string QuotedString(const std::string& Name) {
  std::string out;
  AppendTargetStringLiteral(out, Name);
  return out;
}

std::string BracketedName(const std::string& Name) { return "[" + Doubled(Name, ']') + "]"; }

std::string DoubleQuotedName(const std::string& Name) { return "\"" + Doubled(Name, '"') + "\""; }

std::string PlainOrBracketedName(const std::string& Name) {
  return IsRegularIdentifier(Name) ? Name : BracketedName(Name);
}

}  // namespace ambrix
