// Temporary placeholders until the implementations land.
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/text_word_list.h"
#include "text/utf8.h"
#include "parser/parser.h"
#include "parser/parser_text_word_list.h"

namespace ambrix {
namespace { [[noreturn]] void Todo() { throw Error("not implemented yet"); } }
bool IsAscii(std::string_view) { Todo(); }
bool IsValidUtf8(std::string_view) { Todo(); }
std::size_t Utf8Length(std::string_view) { Todo(); }
std::size_t Utf8ByteOffset(std::string_view, std::size_t) { Todo(); }
std::size_t Utf8CharIndex(std::string_view, std::size_t) { Todo(); }
std::size_t Utf8SequenceLength(unsigned char) { Todo(); }
char32_t DecodeUtf8(std::string_view, std::size_t&) { Todo(); }
void AppendUtf8(std::string&, char32_t) { Todo(); }
char32_t UpperChar(char32_t) { Todo(); }
char32_t LowerChar(char32_t) { Todo(); }
std::string UpperCase(std::string_view) { Todo(); }
std::string LowerCase(std::string_view) { Todo(); }
void UpperCaseInPlace(std::string&) { Todo(); }
void LowerCaseInPlace(std::string&) { Todo(); }
std::size_t UpperCaseCharAt(std::string&, std::size_t) { Todo(); }
std::size_t LowerCaseCharAt(std::string&, std::size_t) { Todo(); }
bool SameText(std::string_view, std::string_view) { Todo(); }
bool EqualsUpper(std::string_view, std::string_view) { Todo(); }
int CompareText(std::string_view, std::string_view) { Todo(); }
TextEncoding EncodingFromName(std::string_view) { Todo(); }
const char* EncodingName(TextEncoding) { Todo(); }
TDecodedText DecodeText(std::string_view, TextEncoding) { Todo(); }
std::vector<std::string> SplitLines(std::string_view) { Todo(); }
std::string EncodeText(std::string_view, TextEncoding) { Todo(); }
std::string EncodeLines(const std::vector<std::string>&, TextEncoding, std::string_view) { Todo(); }
char32_t Cp1251ToUnicode(unsigned char) { Todo(); }
int UnicodeToCp1251(char32_t) { Todo(); }
std::string_view Trim(std::string_view) { Todo(); }
std::string_view TrimLeft(std::string_view) { Todo(); }
std::string_view TrimRight(std::string_view) { Todo(); }
std::string UpperTrim(std::string_view) { Todo(); }
int SkipChars(int, std::string_view, std::string_view) { Todo(); }
int SkipBlanks(int, std::string_view) { Todo(); }
void SplitWords(int, int, std::string_view, std::vector<std::string>&) { Todo(); }
std::string JoinWithSpaces(const std::vector<std::string>&) { Todo(); }
std::string RepeatString(int, std::string_view) { Todo(); }
int PosText(int, int, std::string_view, bool, int, std::string_view) { Todo(); }
int PosAnyText(int, int, std::string_view, const std::vector<std::string>&, bool, int) { Todo(); }
void ReplaceSameLength(std::string&, std::string_view, std::string_view) { Todo(); }
int IndexOfText(std::string_view, const std::vector<std::string>&) { Todo(); }
int IndexOfStr(std::string_view, const std::vector<std::string>&) { Todo(); }
void NormalizeStrings(std::vector<std::string>&) { Todo(); }
TCharClasses CharClasses(std::string_view) { Todo(); }
void CopyTextRange(const std::vector<std::string>&, TTextPoint, TTextPoint, std::vector<std::string>&) { Todo(); }
void TTextWordList::Parse(std::vector<std::string>&) { Todo(); }
std::string TTextWordList::JoinWords(int, int) const { Todo(); }
std::string TTextWordList::RebuildText(int, int) const { Todo(); }
bool TTextWordList::IsLastOnLine(int) const { Todo(); }

struct TTerm::Parts {};
TTerm::TTerm(TTermKind kind, std::string_view, std::string_view, std::string_view, bool, bool, TCharClasses,
             TCaseStyle, const std::vector<std::string>*)
    : Kind(kind), IsWord(false), Nested(false), IgnoreNear(0), CaseStyle(csAsIs) { Todo(); }
std::unique_ptr<TTerm> TTerm::MakeText(std::string_view) { Todo(); }
std::unique_ptr<TTerm> TTerm::MakeListItem() { Todo(); }
std::unique_ptr<TTerm> TTerm::Clone() const { Todo(); }
std::string TTerm::FormattedStartText() const { Todo(); }
std::string TTerm::FormattedEndText() const { Todo(); }
bool TTerm::HasTag(std::string_view) const { Todo(); }
int TTermList::AddDelimiter(std::string_view, std::string_view, std::string_view, bool, bool, TCaseStyle,
                            const std::vector<std::string>&) { Todo(); }
int TTermList::AddWord(std::string_view, std::string_view, bool, TCharClasses, TCaseStyle,
                       const std::vector<std::string>&) { Todo(); }
int TTermList::AddBlockComment(std::string_view, std::string_view, bool, const std::vector<std::string>&) { Todo(); }
int TTermList::AddLineComment(std::string_view, bool, const std::vector<std::string>&) { Todo(); }
int TTermList::IndexOfStart(std::string_view, int) const { Todo(); }
int TTermList::IndexOfFirstWord(std::string_view, int) const { Todo(); }
int TTermList::IndexOfType(std::string_view, int) const { Todo(); }
TTerm* TTermList::FindType(std::string_view) const { Todo(); }
void TTermList::Sort() { Todo(); }
void TTermList::Prepare() { Todo(); }
void TTermList::Clear() { Todo(); }

TParserWord::~TParserWord() = default;
void TParserWord::CopyTo(bool, TParserWordList&) const { Todo(); }
int TParserWord::IndexInOwner() const { Todo(); }
TParserWordList::~TParserWordList() = default;
int TParserWordList::Add(TParserWord*) { Todo(); }
int TParserWordList::AddWord(TTerm*, TTextPoint, std::unique_ptr<TParserWordList>, TTextPoint, TTextPoint) { Todo(); }
int TParserWordList::AddWord(std::unique_ptr<TTerm>, TTextPoint, std::unique_ptr<TParserWordList>, TTextPoint,
                             TTextPoint) { Todo(); }
std::unique_ptr<TParserWordList> TParserWordList::SubList(bool, int, int) const { Todo(); }
std::unique_ptr<TParserWordList> TParserWordList::Copy(bool) const { Todo(); }
void TParserWordList::Clear() { Todo(); }
TParserTextWordList* TParserWordList::RootTextList() const { Todo(); }
TParserWordList* TParserWordList::Root() { Todo(); }
TParserTextWordList& TParserWordList::EnsureTextList() { Todo(); }
void TParserWordList::BuildText(int) { Todo(); }
int TParserWordList::IndexOfTerm(int, const TTerm*) const { Todo(); }
int TParserWordList::IndexOfText(int, std::string_view) const { Todo(); }
int TParserWordList::IndexOfText(int, std::string_view, int) const { Todo(); }
int TParserWordList::IndexOfType(int, std::string_view) const { Todo(); }
int TParserWordList::LastIndexOfType(int, int, std::string_view) const { Todo(); }
int TParserWordList::IndexOfNotType(int, const std::vector<std::string>&) const { Todo(); }
int TParserWordList::LastIndexOfNotType(int, const std::vector<std::string>&) const { Todo(); }
int TParserWordList::NextNotType(int, int, const std::vector<std::string>&) const { Todo(); }
int TParserWordList::PrevNotType(int, int, const std::vector<std::string>&) const { Todo(); }
int TParserWordList::IndexOfTag(int, std::string_view) const { Todo(); }
void TParserWordList::FindAll(const std::vector<std::string>&, bool, TParserWordList&,
                              const std::vector<std::string>&) const { Todo(); }
void TParserWordList::FindAllByType(TParserWordList&, const std::vector<std::string>&) const { Todo(); }
void TParserWordList::SplitByTerm(const TTerm*, int, TParserWordList&, bool, bool, int) const { Todo(); }
void TParserWordList::SplitByTerm(const TTerm*, bool, TParserWordList&, bool) const { Todo(); }

TParserTextWord* TParserTextWord::NextWord() const { Todo(); }
TParserTextWord* TParserTextWord::PrevWord() const { Todo(); }
TParserTextWordList::TParserTextWordList(TParserWordList* owner)
    : Head(nullptr), Tail(nullptr), Owner(owner) {}
TParserTextWordList::~TParserTextWordList() = default;
TParserTextWord* TParserTextWordList::First() const { Todo(); }
TParserTextWord* TParserTextWordList::Last() const { Todo(); }
TParserTextWord* TParserTextWordList::FindByParserWord(const TParserWord*) const { Todo(); }
TParserTextWord* TParserTextWordList::Append(TParserWord*, bool, int, int, std::string) { Todo(); }
TParserTextWord* TParserTextWordList::InsertBefore(TParserWord*, bool, bool, int, int, TParserTextWord*,
                                                   std::string) { Todo(); }
TParserTextWord* TParserTextWordList::InsertAfter(TParserWord*, bool, bool, int, int, TParserTextWord*,
                                                  std::string) { Todo(); }
TParserTextWord* TParserTextWordList::InsertBeforeParserWord(TParserWord*, bool, bool, int, int,
                                                             const TParserWord*, std::string) { Todo(); }
void TParserTextWordList::Delete(TParserTextWord*, bool) { Todo(); }
void TParserTextWordList::DeleteRange(TParserTextWord*, TParserTextWord*, bool) { Todo(); }
void TParserTextWordList::DeleteCount(TParserTextWord*, int, bool) { Todo(); }
TParserTextWord* TParserTextWordList::WordAt(TParserTextWord*, int) const { Todo(); }
void TParserTextWordList::DeleteParserWord(TParserWord*, int, bool) { Todo(); }
void TParserTextWordList::MoveBefore(TParserTextWord*, TParserTextWord*) { Todo(); }
void TParserTextWordList::MoveRangeBefore(TParserTextWord*, TParserTextWord*, TParserTextWord*) { Todo(); }
void TParserTextWordList::Clear() { Todo(); }
void TParserTextWordList::Print(TParserTextWord*, TParserTextWord*, std::vector<std::string>&) { Todo(); }
void TParserTextWordList::PrintAll(std::vector<std::string>&) { Todo(); }
void TParser::Parse(std::vector<std::string>&, TTermList&, TParserWordList&) { Todo(); }
}  // namespace ambrix
