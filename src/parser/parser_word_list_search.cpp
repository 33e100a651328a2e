// Searches over a parse result and list splitting.
#include <algorithm>

#include "parser/parser_word_list.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// A list of type names (or texts) in normal form. Callers usually pass names
// that are already trimmed and upper case; those are used without a copy.
class NormalList {
 public:
  explicit NormalList(const std::vector<std::string>& values) : values_(&values) {
    for (const auto& v : values) {
      if (Trim(v).size() != v.size() || UpperCase(v) != v) {
        own_ = values;
        NormalizeStrings(own_);
        values_ = &own_;
        break;
      }
    }
    keys_.reserve(values_->size());
    for (const auto& v : *values_) keys_.push_back(CaseFoldKey(v));
  }
  /// False when no value can equal a text of CaseFoldKey `key`.
  bool MayHave(std::uint32_t key) const {
    for (const std::uint32_t k : keys_) {
      if (k == key) return true;
    }
    return false;
  }
  bool Contains(std::string_view normal) const {
    for (const auto& v : *values_) {
      if (v == normal) return true;
    }
    return false;
  }
  /// True when `text` upper-cased equals one of the values.
  bool ContainsUpperOf(std::string_view text) const {
    for (const auto& v : *values_) {
      if (EqualsUpper(text, v)) return true;
    }
    return false;
  }

 private:
  const std::vector<std::string>* values_;
  std::vector<std::string> own_;
  std::vector<std::uint32_t> keys_;
};

}  // namespace

int TParserWordList::IndexOfTerm(int from, const TTerm* term) const {
  for (int i = std::max(from, 0); i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)]->Term == term) return i;
  }
  return -1;
}

int TParserWordList::IndexOfText(int from, std::string_view text) const {
  return IndexOfText(from, text, Count() - 1);
}

int TParserWordList::IndexOfText(int from, std::string_view text, int to) const {
  const std::string key = UpperTrim(text);
  to = std::min(to, Count() - 1);
  for (int i = std::max(from, 0); i <= to; ++i) {
    if (EqualsUpper(items_[static_cast<std::size_t>(i)]->Text(), key)) return i;
  }
  return -1;
}

int TParserWordList::IndexOfType(int from, std::string_view typeName) const {
  const std::string key = UpperTrim(typeName);
  for (int i = std::max(from, 0); i < Count(); ++i) {
    const TTerm* term = items_[static_cast<std::size_t>(i)]->Term;
    if (term->Kind == tkDefined && term->TypeName == key) return i;
  }
  return -1;
}

int TParserWordList::LastIndexOfType(int low, int high, std::string_view typeName) const {
  const std::string key = UpperTrim(typeName);
  low = std::max(low, 0);
  for (int i = std::min(high, Count() - 1); i >= low; --i) {
    const TTerm* term = items_[static_cast<std::size_t>(i)]->Term;
    if (term->Kind == tkDefined && term->TypeName == key) return i;
  }
  return -1;
}

int TParserWordList::IndexOfNotType(int from, const std::vector<std::string>& types) const {
  const NormalList normal(types);
  for (int i = std::max(from, 0); i < Count(); ++i) {
    if (!normal.Contains(items_[static_cast<std::size_t>(i)]->Term->TypeName)) return i;
  }
  return -1;
}

int TParserWordList::LastIndexOfNotType(int from, const std::vector<std::string>& types) const {
  const NormalList normal(types);
  for (int i = std::min(from, Count() - 1); i >= 0; --i) {
    if (!normal.Contains(items_[static_cast<std::size_t>(i)]->Term->TypeName)) return i;
  }
  return -1;
}

int TParserWordList::NextNotType(int from, int n, const std::vector<std::string>& types) const {
  const NormalList normal(types);
  int index = from;
  for (int taken = 0; taken < n; ++taken) {
    int i = std::max(index + 1, 0);
    while (i < Count() && normal.Contains(items_[static_cast<std::size_t>(i)]->Term->TypeName)) ++i;
    if (i >= Count()) return -1;
    index = i;
  }
  return index;
}

int TParserWordList::PrevNotType(int from, int n, const std::vector<std::string>& types) const {
  const NormalList normal(types);
  int index = from;
  for (int taken = 0; taken < n; ++taken) {
    int i = std::min(index - 1, Count() - 1);
    while (i >= 0 && normal.Contains(items_[static_cast<std::size_t>(i)]->Term->TypeName)) --i;
    if (i < 0) return -1;
    index = i;
  }
  return index;
}

int TParserWordList::IndexOfTag(int from, std::string_view tag) const {
  for (int i = std::max(from, 0); i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)]->Term->HasTag(tag)) return i;
  }
  return -1;
}

namespace {

}  // namespace

const std::vector<TParserWordList::FlatWord>& TParserWordList::Flat() const {
  if (flatValid_) return flat_;
  flat_.clear();
  // Pre-order with an explicit stack: each node, then its children.
  struct Level {
    const TParserWordList* list;
    std::size_t next;
    std::size_t owner;  // flat index of the node whose children these are
  };
  std::vector<Level> stack{{this, 0, 0}};
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == level.list->items_.size()) {
      const std::size_t owner = level.owner;
      stack.pop_back();
      if (!stack.empty()) flat_[owner].end = static_cast<std::uint32_t>(flat_.size());
      continue;
    }
    TParserWord* node = level.list->items_[level.next++];
    const TTerm* term = node->Term;
    flat_.push_back({node, term->StartKey(), term->FirstWordKey(), term->TypeKey(), 0});
    flat_.back().end = static_cast<std::uint32_t>(flat_.size());
    if (node->Children && !node->Children->Empty()) stack.push_back({node->Children.get(), 0, flat_.size() - 1});
  }
  flatValid_ = true;
  return flat_;
}

void TParserWordList::FindAll(const std::vector<std::string>& texts, bool byStartText, TParserWordList& out,
                              const std::vector<std::string>& types) const {
  out.Clear();
  out.OwnsObjects = false;
  const NormalList normalTexts(texts);
  const NormalList normalTypes(types);
  // A node of a skipped type is passed over with everything below it.
  const std::vector<FlatWord>& flat = Flat();
  for (std::size_t i = 0; i < flat.size();) {
    const FlatWord& word = flat[i];
    const TTerm* term = word.node->Term;
    if (normalTypes.MayHave(word.typeKey) && normalTypes.Contains(term->TypeName)) {
      i = word.end;
      continue;
    }
    if (normalTexts.MayHave(byStartText ? word.startKey : word.firstWordKey)) {
      const std::string& key = byStartText ? term->StartText() : term->StartWords.front();
      if (normalTexts.ContainsUpperOf(Trim(key))) out.Add(word.node);
    }
    ++i;
  }
}

void TParserWordList::FindAllByType(TParserWordList& out, const std::vector<std::string>& types) const {
  out.Clear();
  out.OwnsObjects = false;
  const NormalList normalTypes(types);
  for (const FlatWord& word : Flat())
    if (normalTypes.MayHave(word.typeKey) && normalTypes.Contains(word.node->Term->TypeName)) out.Add(word.node);
}

void TParserWordList::AddItem(TParserWordList& out, int fromIndex, int toIndex) const {
  auto children = std::make_unique<TParserWordList>(false);
  for (int i = fromIndex; i <= toIndex; ++i) children->Add(items_[static_cast<std::size_t>(i)]);
  TParserWordList* stretch = children.get();
  const TParserWord* first = items_[static_cast<std::size_t>(fromIndex)];
  const TParserWord* last = items_[static_cast<std::size_t>(toIndex)];
  out.AddWord(TTerm::MakeListItem(), first->StartPos, std::move(children), last->EndPos, last->EndWordPos);
  // The stretch still belongs to this list's tree: searches from it must
  // reach the tree's root and its editable text.
  stretch->ParentWord = ParentWord;
}

void TParserWordList::SplitByTerm(const TTerm* term, int from, TParserWordList& out, bool singleWords,
                                  bool alwaysItem, int to) const {
  out.Clear();
  out.OwnsObjects = false;
  from = std::max(from, 0);
  to = std::min(to, Count() - 1);
  if (from > to) return;

  int p = IndexOfTerm(from, term);
  if (p < 0) {
    if (alwaysItem) AddItem(out, from, to);
    return;
  }
  int c = from;
  while (p >= 0 && p <= to) {
    if (singleWords && c + 1 < p) break;
    if (p > c) AddItem(out, c, p - 1);
    c = p + 1;
    // Only separators up to `to` matter from here on.
    p = c;
    while (p <= to && items_[static_cast<std::size_t>(p)]->Term != term) ++p;
    if (p > to) p = -1;
  }
  if (!singleWords) {
    if (c <= to) AddItem(out, c, to);
  } else if (c > from && c <= to) {
    AddItem(out, c, c);
  }
}

void TParserWordList::SplitByTerm(const TTerm* term, bool alwaysItem, TParserWordList& out, bool singleWords) const {
  SplitByTerm(term, 0, out, singleWords, alwaysItem, Count() - 1);
}

}  // namespace ambrix
