// Searches over a parse result and list splitting.
#include <algorithm>
#include <array>
#include <cstdint>
#include <forward_list>
#include <iterator>

#include "parser/parser_word_list.h"
#include "text/quick_hash.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// What normalising one list of values gave: for each value whether it was
// already in normal form, and its CaseFoldKey. The searches are called again
// and again with the same few lists (the rules' literal texts, the context's
// type names); each thread remembers the last lists it saw, so that a list
// seen before costs a comparison instead of a normalisation.
struct NormalMemo {
  std::uint64_t tag = 0;  // MemoTag of the values; 0: empty
  std::vector<std::string> values;  // the values as given, to tell a true hit
  // One of each per value once complete; a normalisation that failed half
  // way leaves them short, and the entry is no hit then.
  std::vector<std::uint32_t> keys;
  std::vector<unsigned char> normal;
};

// A hash of the values' bytes: lists are told by their content, since a
// caller may build the same list anew for every search.
template <class Range>
std::uint64_t MemoTag(const Range& values) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
  std::uint64_t h = (std::size(values) + 1) * kMul;
  for (const auto& value : values) {
    h = (h ^ QuickHash(std::string_view(value))) * kMul;
    h ^= h >> 29;
  }
  return h | 1;  // never the empty tag
}

// The memo entry of `values`: found (its values equal the given ones, so
// what it remembers holds) or, on a miss, emptied for the caller to fill.
template <class Range>
NormalMemo& MemoFor(const Range& values, bool& hit) {
  static thread_local std::array<NormalMemo, 64> memos;
  const std::uint64_t tag = MemoTag(values);
  NormalMemo& memo = memos[(tag >> 7) & (memos.size() - 1)];
  const std::size_t n = std::size(values);
  hit = memo.tag == tag && memo.values.size() == n && memo.keys.size() == n && memo.normal.size() == n &&
        std::equal(memo.values.begin(), memo.values.end(), std::begin(values),
                   [](const std::string& a, const auto& b) { return std::string_view(a) == std::string_view(b); });
  if (!hit) {
    memo.tag = tag;
    memo.values.assign(std::begin(values), std::end(values));
    memo.keys.clear();
    memo.normal.clear();
  }
  return memo;
}

// A list of type names (or texts) in normal form (trimmed, upper case), with
// the CaseFoldKey of each. Callers usually pass names that are already in
// normal form; those are used in place, and a short list needs no heap.
class NormalList {
 public:
  template <class Range>
  explicit NormalList(const Range& values) {
    const std::size_t n = std::size(values);
    if (n > kInline) {
      heapViews_.resize(n);
      heapKeys_.resize(n);
    }
    views_ = n > kInline ? heapViews_.data() : inlineViews_.data();
    keys_ = n > kInline ? heapKeys_.data() : inlineKeys_.data();
    size_ = n;
    bool hit = false;
    NormalMemo& memo = MemoFor(values, hit);
    std::size_t i = 0;
    for (const auto& value : values) {
      std::string_view view(value);
      const bool normal = hit ? memo.normal[i] != 0 : IsNormal(view);
      if (!normal) view = own_.emplace_front(UpperTrim(view));
      views_[i] = view;
      keys_[i] = hit ? memo.keys[i] : CaseFoldKey(view);
      if (!hit) {
        memo.normal.push_back(normal);
        memo.keys.push_back(keys_[i]);
      }
      ++i;
    }
  }
  NormalList(const NormalList&) = delete;  // views_ and keys_ may point into it
  NormalList& operator=(const NormalList&) = delete;

  bool Contains(std::string_view normal) const {
    for (std::size_t i = 0; i < size_; ++i) {
      if (views_[i] == normal) return true;
    }
    return false;
  }
  /// True when `text` upper-cased equals one of the values.
  bool ContainsUpperOf(std::string_view text) const {
    for (std::size_t i = 0; i < size_; ++i) {
      if (EqualsUpper(text, views_[i])) return true;
    }
    return false;
  }
  std::size_t Size() const { return size_; }
  std::uint32_t Key(std::size_t i) const { return keys_[i]; }
  /// False when no value can equal a text of CaseFoldKey `key`.
  bool MayHave(std::uint32_t key) const {
    for (std::size_t i = 0; i < size_; ++i) {
      if (keys_[i] == key) return true;
    }
    return false;
  }

 private:
  static constexpr std::size_t kInline = 8;

  // Trimmed and without a lower-case letter; a text with other than ASCII
  // is checked by converting it.
  static bool IsNormal(std::string_view s) {
    if (Trim(s).size() != s.size()) return false;
    for (const char c : s) {
      if (static_cast<unsigned char>(c) >= 0x80) return UpperCase(s) == s;
      if (c >= 'a' && c <= 'z') return false;
    }
    return true;
  }

  std::array<std::string_view, kInline> inlineViews_;
  std::array<std::uint32_t, kInline> inlineKeys_;
  std::vector<std::string_view> heapViews_;
  std::vector<std::uint32_t> heapKeys_;
  std::forward_list<std::string> own_;  // normalised copies; their places never move
  std::string_view* views_ = nullptr;  // into the inline arrays or the heap ones
  std::uint32_t* keys_ = nullptr;
  std::size_t size_ = 0;
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
    std::int32_t owner;  // flat index of the node whose children these are; -1: this list
  };
  std::vector<Level> stack{{this, 0, -1}};
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == level.list->items_.size()) {
      stack.pop_back();
      continue;
    }
    TParserWord* node = level.list->items_[level.next++];
    const TTerm* term = node->Term;
    flat_.push_back({node, term->StartKey(), term->FirstWordKey(), term->TypeKey(), level.owner, -1, -1, -1});
    if (node->Children && !node->Children->Empty())
      stack.push_back({node->Children.get(), 0, static_cast<std::int32_t>(flat_.size() - 1)});
  }
  std::size_t buckets = 16;
  while (buckets < flat_.size() * 2) buckets *= 2;
  flatStartBuckets_.assign(buckets, -1);
  flatFirstWordBuckets_.assign(buckets, -1);
  flatTypeBuckets_.assign(buckets, -1);
  const std::uint32_t mask = static_cast<std::uint32_t>(buckets - 1);
  for (std::size_t i = 0; i < flat_.size(); ++i) {
    FlatWord& word = flat_[i];
    std::int32_t& start = flatStartBuckets_[word.startKey & mask];
    word.prevByStart = start;
    start = static_cast<std::int32_t>(i);
    std::int32_t& first = flatFirstWordBuckets_[word.firstWordKey & mask];
    word.prevByFirstWord = first;
    first = static_cast<std::int32_t>(i);
    std::int32_t& type = flatTypeBuckets_[word.typeKey & mask];
    word.prevByType = type;
    type = static_cast<std::int32_t>(i);
  }
  flatValid_ = true;
  return flat_;
}

void TParserWordList::FindAll(const std::vector<std::string>& texts, bool byStartText, TParserWordList& out,
                              const std::vector<std::string>& types) const {
  const std::vector<std::string_view> textViews(texts.begin(), texts.end());
  const std::vector<std::string_view> typeViews(types.begin(), types.end());
  FindAll(std::span<const std::string_view>(textViews), byStartText, out,
          std::span<const std::string_view>(typeViews));
}

void TParserWordList::FindAll(std::span<const std::string_view> texts, bool byStartText, TParserWordList& out,
                              std::span<const std::string_view> types) const {
  out.Clear();
  out.OwnsObjects = false;
  std::vector<TParserWord*> found;
  FindAll(texts, byStartText, found, types);
  for (TParserWord* node : found) out.Add(node);
}

void TParserWordList::FindAll(std::span<const std::string_view> texts, bool byStartText,
                              std::vector<TParserWord*>& out, std::span<const std::string_view> types) const {
  out.clear();
  const NormalList normalTexts(texts);
  const NormalList normalTypes(types);
  const std::vector<FlatWord>& flat = Flat();
  // The nodes whose key is one of the texts' keys, in document order.
  const std::vector<std::int32_t>& buckets = byStartText ? flatStartBuckets_ : flatFirstWordBuckets_;
  const std::uint32_t mask = static_cast<std::uint32_t>(buckets.size() - 1);
  std::vector<std::uint32_t> found;
  for (std::size_t t = 0; t < normalTexts.Size(); ++t) {
    const std::uint32_t key = normalTexts.Key(t);
    for (std::int32_t i = buckets[key & mask]; i >= 0;) {
      const FlatWord& word = flat[static_cast<std::size_t>(i)];
      if ((byStartText ? word.startKey : word.firstWordKey) == key) found.push_back(static_cast<std::uint32_t>(i));
      i = byStartText ? word.prevByStart : word.prevByFirstWord;
    }
  }
  if (found.empty()) return;
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  for (const std::uint32_t i : found) {
    const TTerm* term = flat[i].node->Term;
    const std::string& key = byStartText ? term->StartText() : term->StartWords.front();
    if (!normalTexts.ContainsUpperOf(Trim(key))) continue;
    // A node of a skipped type is not collected, nor anything below it.
    bool skipped = false;
    for (std::int32_t p = static_cast<std::int32_t>(i); p >= 0 && !skipped; p = flat[static_cast<std::size_t>(p)].parent) {
      const FlatWord& word = flat[static_cast<std::size_t>(p)];
      skipped = normalTypes.MayHave(word.typeKey) && normalTypes.Contains(word.node->Term->TypeName);
    }
    if (!skipped) out.push_back(flat[i].node);
  }
}

void TParserWordList::FindAllByType(TParserWordList& out, const std::vector<std::string>& types) const {
  out.Clear();
  out.OwnsObjects = false;
  const NormalList normalTypes(types);
  const std::vector<FlatWord>& flat = Flat();
  // The nodes whose type key is one of the types' keys, in document order.
  const std::uint32_t mask = static_cast<std::uint32_t>(flatTypeBuckets_.size() - 1);
  std::vector<std::uint32_t> found;
  for (std::size_t t = 0; t < normalTypes.Size(); ++t) {
    const std::uint32_t key = normalTypes.Key(t);
    for (std::int32_t i = flatTypeBuckets_[key & mask]; i >= 0; i = flat[static_cast<std::size_t>(i)].prevByType)
      if (flat[static_cast<std::size_t>(i)].typeKey == key) found.push_back(static_cast<std::uint32_t>(i));
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  for (const std::uint32_t i : found)
    if (normalTypes.Contains(flat[i].node->Term->TypeName)) out.Add(flat[i].node);
}

void TParserWordList::AddItem(TParserWordList& out, int fromIndex, int toIndex) const {
  auto children = std::make_unique<TParserWordList>(false);
  // The stretch's nodes are given, none created: Add for each, at once.
  children->given_ = true;
  children->items_.assign(items_.begin() + fromIndex, items_.begin() + toIndex + 1);
  TParserWordList* stretch = children.get();
  const TParserWord* first = items_[static_cast<std::size_t>(fromIndex)];
  const TParserWord* last = items_[static_cast<std::size_t>(toIndex)];
  out.AddWord(TTerm::SharedListItem(), first->StartPos, std::move(children), last->EndPos, last->EndWordPos);
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
