#include "parser/term_list.h"

#include <algorithm>
#include <atomic>

#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// The words of a start text in normal form (trimmed, upper case, single blanks).
std::vector<std::string> StartWordsOf(std::string_view text) {
  const std::string normal = UpperTrim(text);
  std::vector<std::string> words;
  SplitWords(1, static_cast<int>(Utf8Length(normal)), normal, words);
  return words;
}

// Sort key of a term: its start words, each followed by CR LF.
std::string SortKey(const TTerm& term) {
  std::string key;
  for (const auto& w : term.StartWords) {
    key += w;
    key += "\r\n";
  }
  return key;
}

}  // namespace

int TTermList::Register(std::unique_ptr<TTerm> term) {
  startTexts_.insert(term->StartText());
  terms_.push_back(std::move(term));
  Prepared = false;
  firstWordIndex_.clear();
  return Count() - 1;
}

int TTermList::AddDelimiter(std::string_view typeName, std::string_view startWord, std::string_view endWord,
                            bool isWord, bool nested, TCaseStyle caseStyle, const std::vector<std::string>& tags) {
  if (startTexts_.count(JoinWithSpaces(StartWordsOf(startWord)))) throw Error("Разделитель уже зарегистрирован");
  return Register(
      std::make_unique<TTerm>(tkDefined, typeName, startWord, endWord, isWord, nested, 0, caseStyle, &tags));
}

int TTermList::AddWord(std::string_view typeName, std::string_view startWord, bool isWord, TCharClasses ignoreNear,
                       TCaseStyle caseStyle, const std::vector<std::string>& tags) {
  if (startTexts_.count(JoinWithSpaces(StartWordsOf(startWord)))) throw Error("Разделитель уже зарегистрирован");
  return Register(
      std::make_unique<TTerm>(tkDefined, typeName, startWord, "", isWord, false, ignoreNear, caseStyle, &tags));
}

int TTermList::AddBlockComment(std::string_view startWord, std::string_view endWord, bool isWord,
                               const std::vector<std::string>& tags) {
  return AddDelimiter(kCommentTypeName, startWord, endWord, isWord, false, csAsIs, tags);
}

int TTermList::AddLineComment(std::string_view startWord, bool isWord, const std::vector<std::string>& tags) {
  return AddDelimiter(kCommentTypeName, startWord, kEndOfLine, isWord, true, csAsIs, tags);
}

int TTermList::IndexOfStart(std::string_view text, int from) const {
  const std::vector<std::string> words = StartWordsOf(text);
  for (int i = std::max(from, 0); i < Count(); ++i) {
    if (terms_[static_cast<std::size_t>(i)]->StartWords == words) return i;
  }
  return -1;
}

int TTermList::IndexOfFirstUpperWord(const std::string& upperWord) const {
  if (Prepared && !firstWordIndex_.empty()) {
    const auto it = firstWordIndex_.find(upperWord);
    return it == firstWordIndex_.end() ? -1 : it->second;
  }
  return IndexOfFirstWord(upperWord, 0);
}

int TTermList::IndexOfFirstWord(std::string_view word, int from) const {
  const std::string key = UpperTrim(word);
  if (from < 0) from = 0;
  if (Prepared && !firstWordIndex_.empty()) {
    // Once sorted, the terms that share a first word stand together.
    const auto it = firstWordIndex_.find(key);
    if (it == firstWordIndex_.end()) return -1;
    if (it->second >= from) return it->second;
    if (from < Count() && terms_[static_cast<std::size_t>(from)]->StartWords.front() == key) return from;
    return -1;
  }
  for (int i = from; i < Count(); ++i) {
    if (terms_[static_cast<std::size_t>(i)]->StartWords.front() == key) return i;
  }
  return -1;
}

int TTermList::IndexOfType(std::string_view typeName, int from) const {
  const std::string key = UpperTrim(typeName);
  for (int i = std::max(from, 0); i < Count(); ++i) {
    if (terms_[static_cast<std::size_t>(i)]->TypeName == key) return i;
  }
  return -1;
}

TTerm* TTermList::FindType(std::string_view typeName) const {
  const int i = IndexOfType(typeName, 0);
  return i < 0 ? nullptr : Items(i);
}

void TTermList::Sort() {
  std::vector<std::pair<std::string, std::unique_ptr<TTerm>>> keyed;
  keyed.reserve(terms_.size());
  for (auto& t : terms_) {
    std::string key = SortKey(*t);
    keyed.emplace_back(std::move(key), std::move(t));
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return LongestFirstLess(a.first, b.first); });
  for (std::size_t i = 0; i < keyed.size(); ++i) terms_[i] = std::move(keyed[i].second);
  firstWordIndex_.clear();
}

void TTermList::Prepare() {
  if (Prepared) return;
  Separators.clear();
  Sort();
  std::unordered_set<std::string> seen;
  auto addSeparator = [&](const std::string& word) {
    if (seen.insert(UpperCase(word)).second) Separators.push_back(word);
  };
  for (const auto& term : terms_) {
    if (term->IsWord) continue;
    for (const auto& w : term->StartWords) addSeparator(w);
    if (term->HasEndText()) {
      for (const auto& w : term->EndWords) addSeparator(w);
    }
  }
  firstWordIndex_.clear();
  firstWordIndex_.reserve(terms_.size());
  for (int i = 0; i < Count(); ++i) firstWordIndex_.emplace(terms_[static_cast<std::size_t>(i)]->StartWords.front(), i);
  static std::atomic<std::uint64_t> preparations{0};
  preparation_ = ++preparations;
  Prepared = true;
}

void TTermList::Clear() {
  terms_.clear();
  startTexts_.clear();
  firstWordIndex_.clear();
  Separators.clear();
  Prepared = false;
}

}  // namespace ambrix
