#include "parser/parser.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "parser/parse_arena.h"
#include "text/error.h"
#include "text/quick_hash.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// Delimiters nest at most this deep. Real scripts stay far below; the bound
// keeps every recursive walk over a parse result (copies, text building,
// searches, destruction) safe from stack exhaustion on hostile input.
constexpr std::size_t kMaxNesting = 1000;

std::string PositionText(int line, int col) { return std::to_string(line) + ":" + std::to_string(col); }

// Equality of two texts, without a library call for the short ones.
[[gnu::always_inline]] inline bool SameBytes(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  if (n != b.size()) return false;
  if (n > 16) return std::memcmp(a.data(), b.data(), n) == 0;
  if (n >= 8) {
    return LoadWord64(a.data()) == LoadWord64(b.data()) &&
           LoadWord64(a.data() + n - 8) == LoadWord64(b.data() + n - 8);
  }
  if (n >= 4) {
    return LoadWord32(a.data()) == LoadWord32(b.data()) && LoadWord32(a.data() + n - 4) == LoadWord32(b.data() + n - 4);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

inline void TParserWordList::AddParsedWord(TTerm* term, TTextPoint startPos, std::unique_ptr<TParserWordList> children,
                                           TTextPoint endPos, TTextPoint endWordPos) {
  if (given_ || !hold_.arena) {
    AddWord(term, startPos, std::move(children), endPos, endWordPos);
    return;
  }
  flatValid_ = false;
  items_.push_back(nullptr);  // room first: a failure loses nothing
  TParserWord* node;
  try {
    node = hold_.arena->New<TParserWord>();
  } catch (...) {
    items_.pop_back();
    throw;
  }
  node->Term = term;
  node->StartPos = startPos;
  node->EndPos = endPos;
  node->EndWordPos = endWordPos;
  node->Owner = this;
  node->index_ = Count() - 1;
  if (children) {
    children->ParentWord = node;
    node->Children = std::move(children);
  }
  items_.back() = node;
}

void TParser::ResetEntries(int wordCount) {
  entries_.clear();
  // A batch repeats its words a lot: the table starts small, so that it stays
  // in the cache, and grows with the distinct texts.
  std::size_t size = std::bit_ceil(static_cast<std::size_t>(wordCount) / 8 + 1);
  size = std::clamp<std::size_t>(size, 64, 1024);
  slots_.assign(size, 0);
}

[[gnu::always_inline]] inline int TParser::FindEntry(std::string_view text, std::uint64_t hash, std::size_t& slot) const {
  const std::size_t mask = slots_.size() - 1;
  for (slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t s = slots_[slot];
    if (s == 0) return -1;
    const TextEntry& e = entries_[s - 1];
    if (e.hash == hash && SameBytes(e.text, text)) return static_cast<int>(s - 1);
  }
}

int TParser::AddEntry(std::string_view text, std::uint64_t hash, std::size_t slot) {
  entries_.push_back(TextEntry{text, hash});
  slots_[slot] = static_cast<std::uint32_t>(entries_.size());
  if (entries_.size() * 2 > slots_.size()) {
    // Keep the table at most half full.
    slots_.assign(slots_.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
      std::size_t at = entries_[k].hash & mask;
      while (slots_[at] != 0) at = (at + 1) & mask;
      slots_[at] = static_cast<std::uint32_t>(k + 1);
    }
  }
  return static_cast<int>(entries_.size() - 1);
}

[[gnu::always_inline]] inline int TParser::EntryOf(std::string_view text) {
  const std::uint64_t hash = QuickHash(text);
  std::size_t slot;
  const int found = FindEntry(text, hash, slot);
  return found >= 0 ? found : AddEntry(text, hash, slot);
}

TTerm* TParser::PlainTermOf(int entry) {
  TextEntry& e = entries_[static_cast<std::size_t>(entry)];
  if (!e.plain) e.plain = arena_->NewPlainTerm(e.text);
  return e.plain;
}

TTerm* TParser::PlainTermOf(std::string_view text) {
  const std::uint64_t hash = QuickHash(text);
  std::size_t slot;
  int entry = FindEntry(text, hash, slot);
  if (entry >= 0) return PlainTermOf(entry);
  // `text` is scratch: the entry keeps the term's own copy.
  TTerm* term = arena_->NewPlainTerm(text);
  entry = AddEntry(term->StartText(), hash, slot);
  entries_[static_cast<std::size_t>(entry)].plain = term;
  return term;
}

namespace {
// Bounds of the words a parser remembers: about a megabyte at most.
constexpr std::size_t kMaxKnownWords = std::size_t{1} << 15;
constexpr std::size_t kMaxKnownText = std::size_t{1} << 19;
// The slot table starts small and doubles as words come, up to twice
// kMaxKnownWords slots: a parser made for one short parse (a name, a
// default's text) must not clear a quarter of a megabyte first.
constexpr std::size_t kFirstKnownSlots = 256;
}  // namespace

void TParser::ForgetKnownWords() {
  known_.clear();
  knownTexts_.clear();
  knownSlots_.assign(kFirstKnownSlots, 0);
}

void TParser::GrowKnownSlots() {
  knownSlots_.assign(2 * knownSlots_.size(), 0);
  const std::size_t mask = knownSlots_.size() - 1;
  for (std::size_t i = 0; i < known_.size(); ++i) {
    std::size_t slot = known_[i].hash & mask;
    while (knownSlots_[slot] != 0) slot = (slot + 1) & mask;
    knownSlots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

int TParser::KnownFirstTerm(std::string_view text, std::uint64_t hash) const {
  if (knownSlots_.empty()) return -2;
  const std::size_t mask = knownSlots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t s = knownSlots_[slot];
    if (s == 0) return -2;
    const KnownWord& k = known_[s - 1];
    if (k.hash == hash && SameBytes(std::string_view(knownTexts_).substr(k.offset, k.size), text)) return k.firstTerm;
  }
}

void TParser::RememberFirstTerm(std::string_view text, std::uint64_t hash, int firstTerm) {
  if (known_.size() >= kMaxKnownWords || knownTexts_.size() + text.size() > kMaxKnownText) ForgetKnownWords();
  if (text.size() > kMaxKnownText) return;
  // At most half the slots are taken, so that a probe ends soon.
  if (2 * (known_.size() + 1) > knownSlots_.size()) GrowKnownSlots();
  const std::size_t mask = knownSlots_.size() - 1;
  std::size_t slot = hash & mask;
  while (knownSlots_[slot] != 0) slot = (slot + 1) & mask;
  known_.push_back(KnownWord{hash, static_cast<std::uint32_t>(knownTexts_.size()),
                             static_cast<std::uint32_t>(text.size()), firstTerm});
  knownTexts_.append(text);
  knownSlots_[slot] = static_cast<std::uint32_t>(known_.size());
}

[[gnu::always_inline]] inline TParser::Found TParser::FindTerm(int i, int entry) {
  // Without an entry (a batch that is only checked keeps no table of its
  // texts: a long batch of data has hundreds of thousands of them) the
  // words remembered from earlier parses are the only cache.
  int uncached = -2;
  std::string_view text;
  std::uint64_t hash;
  int* firstTerm = &uncached;
  if (entry >= 0) {
    TextEntry& e = entries_[static_cast<std::size_t>(entry)];
    text = e.text;
    hash = e.hash;
    firstTerm = &e.firstTerm;
  } else {
    text = Words->Text(i);
    hash = QuickHash(text);
  }
  int& first = *firstTerm;
  if (first == -2) {
    first = KnownFirstTerm(text, hash);
    if (first == -2) {
      upperWord_.assign(text);
      UpperCaseInPlace(upperWord_);
      first = Terms->IndexOfFirstUpperWord(upperWord_);
      RememberFirstTerm(text, hash, first);
    }
  }
  if (first < 0) return {};
  const TTerm* term = Terms->Items(first);

  if (term->StartWords.size() == 1) {
    if (term->IgnoreNear != 0) {
      const TTextWord word = Words->Words(i);
      if (i > 0) {
        const TTextWord prev = Words->Words(i - 1);
        if (prev.Touches(word) && CharClasses(prev.Text) == term->IgnoreNear) return {};
      }
      if (i + 1 < Words->Count()) {
        const TTextWord next = Words->Words(i + 1);
        if (word.Touches(next) && CharClasses(next.Text) == term->IgnoreNear) return {};
      }
    }
    return {first, i};
  }

  // Several terms may start with this word; the longer sequences come first.
  // Whole words are compared: "EXEC SP_ADDTYPE" is not the start of the words
  // exec sp_addtype_audit, nor "UPDATE STATISTICS" of update StatisticsDaily.
  // joined_: the words from i on, upper case, joined by single blanks, as far
  // as a candidate needed them; the first n words end at joinedEnds_[n - 1].
  joined_.clear();
  joinedEnds_.clear();
  const std::string& firstWord = term->StartWords.front();
  for (int t = first; t < Terms->Count(); ++t) {
    const TTerm* candidate = Terms->Items(t);
    if (candidate->StartWords.front() != firstWord) break;
    const std::size_t n = candidate->StartWords.size();
    while (joinedEnds_.size() < n) {
      const int w = i + static_cast<int>(joinedEnds_.size());
      if (w < Words->Count()) {
        if (!joinedEnds_.empty()) joined_.push_back(' ');
        // Only the new word is upper-cased: the words before it already are.
        upperWord_.assign(Words->Text(w));
        UpperCaseInPlace(upperWord_);
        joined_.append(upperWord_);
      }
      joinedEnds_.push_back(joined_.size());
    }
    const std::string& text = candidate->StartText();
    if (joinedEnds_[n - 1] == text.size() && std::string_view(joined_).substr(0, text.size()) == text) {
      return {t, std::min(i + static_cast<int>(n) - 1, Words->Count() - 1)};
    }
  }
  return {};
}

void TParser::FlushPending(TParserWordList& target) {
  std::vector<Pending>& pending = pending_;
  std::size_t k = 0;
  while (k < pending.size()) {
    const TTextWord first = Words->Words(pending[k].word);
    TTextWord last = first;
    std::size_t j = k + 1;
    for (TTextWord next; j < pending.size() && last.Touches(next = Words->Words(pending[j].word)); ++j) last = next;
    TTerm* term;
    if (j == k + 1) {
      term = PlainTermOf(pending[k].entry);
    } else {
      scratch_.clear();
      for (std::size_t g = k; g < j; ++g) scratch_ += Words->Text(pending[g].word);
      term = PlainTermOf(scratch_);
    }
    target.AddParsedWord(term, first.StartPoint(), nullptr, last.EndPoint(), first.StartPoint());
    k = j;
  }
  pending.clear();
}

void TParser::FlushRaw(int afterWord, int beforeWord, TParserWordList& target) {
  // The interior of a string, a quoted name or a comment is kept exactly as
  // written: its tabs, the blanks at its line ends and its empty lines are
  // part of a value or of what the author wrote.
  Words->SourceBetween(afterWord, beforeWord, scratch_);
  // Blanks before the text on the start's line are laid out again from the
  // columns (so the text, and a warning about it, start at its first word).
  const std::size_t blanks = std::min(scratch_.find_first_not_of(' '), scratch_.size());
  scratch_.erase(0, blanks);
  if (scratch_.empty()) return;
  const TTextWord a = Words->Words(afterWord);
  const TTextPoint start{a.Line, a.LastCol() + 1 + static_cast<int>(blanks)};
  TTextPoint end;
  if (beforeWord >= 0) {
    const TTextWord z = Words->Words(beforeWord);
    end = {z.Line, z.Col - 1};
  } else {
    end = {a.Line, a.LastCol() + ColumnCount(scratch_)};
  }
  target.AddParsedWord(PlainTermOf(scratch_), start, nullptr, end, start);
}

// kBuild false: the words are only checked, as a parse checks them (the same
// errors at the same words); no node is made and `result` is not touched.
template <bool kBuild>
bool TParser::ParseWords(TParserWordList& result, const std::function<bool(const TTerm*)>* watch) {
  bool watched = false;
  // One level per open delimiter; the top level has no enclosing term.
  struct Level {
    const TTerm* term = nullptr;        // enclosing delimiter, null at the top
    TParserWordList* target = nullptr;  // where this level's nodes go
    std::unique_ptr<TParserWordList> children;  // owned until the delimiter closes
    bool raw = false;
    // A raw interior whose one-character end, written twice, stands for
    // itself ('it''s', [a]]b], "a""b").
    bool escapes = false;
    // A raw interior that opens again at its own start sequence and closes
    // once for each (block comments nest: /* a /* b */ c */).
    bool nests = false;
    int depth = 0;
    int startWord = 0;     // first word of the delimiter's start sequence
    int startLast = 0;     // last word of the delimiter's start sequence
  };
  // Words not yet turned into nodes. Only the innermost level has any: a level
  // flushes them before it opens a delimiter.
  std::vector<Pending>& pending = pending_;
  pending.clear();
  std::vector<Level> levels;
  levels.reserve(16);
  levels.push_back(Level{});
  levels.back().target = &result;

  const int count = Words->Count();
  int i = 0;

  // Closes the innermost level at end word e: its node goes to the level below.
  auto close = [&](int e) {
    Level done = std::move(levels.back());
    levels.pop_back();
    if constexpr (kBuild) {
      Level& outer = levels.back();
      const TTextWord a = Words->Words(done.startWord);
      const TTextWord z = Words->Words(e);
      outer.target->AddParsedWord(const_cast<TTerm*>(done.term), a.StartPoint(), std::move(done.children),
                                  z.EndPoint(), z.StartPoint());
    }
    i = e + 1;
  };

  while (true) {
    Level& level = levels.back();
    if (i >= count) {
      if constexpr (kBuild) {
        if (level.raw) FlushRaw(level.startLast, -1, *level.target);
        FlushPending(*level.target);
      }
      if (!level.term) return watched;
      // The delimiter is never closed: name the first word after its start.
      const int after = level.startLast + 1;
      if (after < count) {
        const TTextWord w = Words->Words(after);
        throw Error("Ошибка вложений разделителя: " + PositionText(w.Line, w.Col), w.Line, w.Col);
      }
      const TTextWord w = Words->Words(level.startLast);
      throw Error("Ошибка вложений разделителя: " + PositionText(w.Line, w.LastCol() + 1), w.Line, w.LastCol() + 1);
    }

    if (level.term) {
      const TTerm& e = *level.term;
      const std::string& f = e.EndWords.front();
      if (f == kEndOfLine) {
        if (Words->IsLastOnLine(i)) {
          if constexpr (kBuild) {
            if (level.raw) FlushRaw(level.startLast, -1, *level.target);
            FlushPending(*level.target);
          }
          close(i);
          continue;
        }
      } else if (Words->Text(i).size() == f.size() && EqualsUpper(Words->Text(i), f)) {
        const int k = static_cast<int>(e.EndWords.size());
        if (k == 1 || EqualsUpper(Words->JoinWords(i, k), e.EndText())) {
          if (level.escapes && i + 1 < count && Words->Text(i + 1) == Words->Text(i) &&
              Words->Words(i).Touches(Words->Words(i + 1))) {
            i += 2;
            continue;
          }
          if (level.depth > 0) {
            --level.depth;
            i += k;
            continue;
          }
          if constexpr (kBuild) {
            if (level.raw) FlushRaw(level.startLast, i, *level.target);
            FlushPending(*level.target);
          }
          close(k == 1 ? i : i + k - 1);
          continue;
        }
      }
    }

    if (level.raw) {
      if (level.nests && Words->Text(i) == level.term->StartText()) ++level.depth;
      ++i;
      continue;
    }

    const int entry = kBuild ? EntryOf(Words->Text(i)) : -1;
    const Found found = FindTerm(i, entry);
    if (found.term < 0) {
      if constexpr (kBuild) pending.push_back({i, entry});
      ++i;
      continue;
    }
    TTerm* term = Terms->Items(found.term);
    const int j = found.lastWord;
    if constexpr (kBuild) FlushPending(*level.target);
    if constexpr (!kBuild) {
      if (watch && !watched && levels.size() == 1 && (*watch)(term)) watched = true;
    }
    if (term->EndWords.empty()) {
      if constexpr (kBuild) {
        const TTextWord a = Words->Words(i);
        const TTextWord z = Words->Words(j);
        level.target->AddParsedWord(term, a.StartPoint(), nullptr, z.EndPoint(), z.StartPoint());
      }
      i = j + 1;
      continue;
    }
    if (term->EndsAtLineEnd() && Words->IsLastOnLine(j)) {
      // A line comment with nothing after it on its line.
      if constexpr (kBuild) {
        const TTextWord a = Words->Words(i);
        const TTextWord z = Words->Words(j);
        level.target->AddParsedWord(term, a.StartPoint(), result.NewChildList(), z.EndPoint(), z.StartPoint());
      }
      i = j + 1;
      continue;
    }
    if (levels.size() > kMaxNesting) {
      const TTextWord w = Words->Words(i);
      throw Error("Слишком глубокая вложенность разделителей: " + PositionText(w.Line, w.Col), w.Line, w.Col);
    }
    Level inner;
    inner.term = term;
    if constexpr (kBuild) {
      inner.children = result.NewChildList();
      inner.target = inner.children.get();
    }
    inner.raw = !term->Nested;
    if (inner.raw && term->HasEndText()) {
      const bool comment = term->TypeName == kCommentTypeName;
      inner.escapes = !comment && term->EndWords.size() == 1 && term->EndText().size() == 1;
      inner.nests = comment && term->StartWords.size() == 1;
    }
    inner.startWord = i;
    inner.startLast = j;
    levels.push_back(std::move(inner));
    i = j + 1;
  }
}

void TParser::Parse(std::vector<std::string>& lines, TTermList& terms, TParserWordList& result) {
  ParseIfWanted(lines, terms, result, nullptr, nullptr);
}

bool TParser::ParseIfWanted(std::vector<std::string>& lines, TTermList& terms, TParserWordList& result,
                            const std::function<bool(const TTerm*)>& wanted, TLead* lead,
                            const std::function<bool(const TTerm*)>* laterWanted) {
  if (!wordStore_) wordStore_ = std::make_unique<TTextWordList>();
  Words = wordStore_.get();
  Terms = &terms;
  result.Clear();
  struct Reset {
    TParser& parser;
    ~Reset() {
      parser.Words->Clear();
      parser.Words = nullptr;
      parser.Terms = nullptr;
      parser.arena_ = nullptr;
    }
  } reset{*this};
  terms.Prepare();
  if (terms.Preparation() != knownPreparation_ || knownSlots_.empty()) {
    ForgetKnownWords();
    knownPreparation_ = terms.Preparation();
  }
  Words->Parse(lines, terms.Separators);
  if (Words->Count() == 0) return true;
  ResetEntries(Words->Count());
  if (wanted) {
    // The first word starts the result's first node: a plain word or the
    // term it opens, just as the parse below finds it.
    const Found found = FindTerm(0, EntryOf(Words->Text(0)));
    const TTerm* first = found.term < 0 ? nullptr : Terms->Items(found.term);
    if (!wanted(first)) {
      if (lead) *lead = TLead{first, Words->Words(0).Line};
      if (!ParseWords<false>(result, laterWanted)) return false;
      // A statement further on is wanted: the batch is parsed after all.
      ResetEntries(Words->Count());
    }
  }
  arena_ = &result.PrepareArena();
  // Mostly one node for a word or two, a child list for some.
  arena_->Expect(static_cast<std::size_t>(Words->Count()) * (sizeof(TParserWord) + 2 * sizeof(void*)));
  ParseWords<true>(result);
  return true;
}

}  // namespace ambrix
