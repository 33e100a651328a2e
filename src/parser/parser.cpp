#include "parser/parser.h"

#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// Delimiters nest at most this deep. Real scripts stay far below; the bound
// keeps every recursive walk over a parse result (copies, text building,
// searches, destruction) safe from stack exhaustion on hostile input.
constexpr std::size_t kMaxNesting = 1000;

std::string PositionText(int line, int col) { return std::to_string(line) + ":" + std::to_string(col); }

}  // namespace

TParser::Found TParser::FindTerm(int i) {
  const TTextWord& word = Words->Words(i);
  upperWord_.assign(word.Text);
  UpperCaseInPlace(upperWord_);
  const int first = Terms->IndexOfFirstUpperWord(upperWord_);
  if (first < 0) return {};
  const TTerm* term = Terms->Items(first);

  if (term->StartWords.size() == 1) {
    if (term->IgnoreNear != 0) {
      if (i > 0) {
        const TTextWord& prev = Words->Words(i - 1);
        if (prev.Touches(word) && CharClasses(prev.Text) == term->IgnoreNear) return {};
      }
      if (i + 1 < Words->Count()) {
        const TTextWord& next = Words->Words(i + 1);
        if (word.Touches(next) && CharClasses(next.Text) == term->IgnoreNear) return {};
      }
    }
    return {first, i};
  }

  // Several terms may start with this word; the longer sequences come first.
  // The comparison is on characters: "CREATE PROC" also matches the words
  // CREATE PROCEDURE.
  std::vector<std::string>& joined = joined_;  // joined[n - 1]: n words from i, upper case
  joined.clear();
  for (int t = first; t < Terms->Count(); ++t) {
    const TTerm* candidate = Terms->Items(t);
    if (candidate->StartWords.front() != upperWord_) break;
    const std::size_t n = candidate->StartWords.size();
    if (joined.size() < n) {
      const std::size_t have = joined.size();
      joined.resize(n);
      for (std::size_t k = have; k < n; ++k) {
        joined[k] = Words->JoinWords(i, static_cast<int>(k + 1));
        UpperCaseInPlace(joined[k]);
      }
    }
    const std::string& text = candidate->StartText();
    if (joined[n - 1].compare(0, text.size(), text) == 0) {
      return {t, std::min(i + static_cast<int>(n) - 1, Words->Count() - 1)};
    }
  }
  return {};
}

void TParser::FlushPending(std::vector<int>& pending, TParserWordList& target) const {
  std::size_t k = 0;
  while (k < pending.size()) {
    const TTextWord& first = Words->Words(pending[k]);
    const TTextWord* last = &first;
    std::size_t j = k + 1;
    while (j < pending.size() && last->Touches(Words->Words(pending[j]))) last = &Words->Words(pending[j++]);
    if (j == k + 1) {
      target.AddPlainWord(first.Text, first.StartPoint(), last->EndPoint(), first.StartPoint());
    } else {
      std::string text;
      for (std::size_t g = k; g < j; ++g) text += Words->Words(pending[g]).Text;
      target.AddPlainWord(text, first.StartPoint(), last->EndPoint(), first.StartPoint());
    }
    k = j;
  }
  pending.clear();
}

void TParser::FlushRaw(int first, int last, TParserWordList& target) const {
  if (first > last) return;
  const TTextWord& a = Words->Words(first);
  const TTextWord& b = Words->Words(last);
  target.AddPlainWord(Words->RebuildText(first, last), a.StartPoint(), b.EndPoint(), a.StartPoint());
}

void TParser::ParseWords(TParserWordList& result) {
  // One level per open delimiter; the top level has no enclosing term.
  struct Level {
    const TTerm* term = nullptr;        // enclosing delimiter, null at the top
    TParserWordList* target = nullptr;  // where this level's nodes go
    std::unique_ptr<TParserWordList> children;  // owned until the delimiter closes
    bool raw = false;
    int rawStart = 0;      // first word of a raw interior
    int startWord = 0;     // first word of the delimiter's start sequence
    int startLast = 0;     // last word of the delimiter's start sequence
  };
  // Words not yet turned into nodes. Only the innermost level has any: a level
  // flushes them before it opens a delimiter.
  std::vector<int>& pending = pending_;
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
    Level& outer = levels.back();
    const TTextWord& a = Words->Words(done.startWord);
    const TTextWord& z = Words->Words(e);
    outer.target->AddWord(const_cast<TTerm*>(done.term), a.StartPoint(), std::move(done.children), z.EndPoint(),
                          z.StartPoint());
    i = e + 1;
  };

  while (true) {
    Level& level = levels.back();
    if (i >= count) {
      if (level.raw) FlushRaw(level.rawStart, count - 1, *level.target);
      FlushPending(pending, *level.target);
      if (!level.term) return;
      // The delimiter is never closed: name the first word after its start.
      const int after = level.startLast + 1;
      if (after < count) {
        const TTextWord& w = Words->Words(after);
        throw Error("Ошибка вложений разделителя: " + PositionText(w.Line, w.Col));
      }
      const TTextWord& w = Words->Words(level.startLast);
      throw Error("Ошибка вложений разделителя: " + PositionText(w.Line, w.LastCol() + 1));
    }

    if (level.term) {
      const TTerm& e = *level.term;
      const std::string& f = e.EndWords.front();
      if (f == kEndOfLine) {
        if (Words->IsLastOnLine(i)) {
          if (level.raw) FlushRaw(level.rawStart, i, *level.target);
          FlushPending(pending, *level.target);
          close(i);
          continue;
        }
      } else if (EqualsUpper(Words->Words(i).Text, f)) {
        const int k = static_cast<int>(e.EndWords.size());
        if (k == 1 || EqualsUpper(Words->JoinWords(i, k), e.EndText())) {
          if (level.raw) FlushRaw(level.rawStart, i - 1, *level.target);
          FlushPending(pending, *level.target);
          close(k == 1 ? i : i + k - 1);
          continue;
        }
      }
    }

    if (level.raw) {
      ++i;
      continue;
    }

    const Found found = FindTerm(i);
    if (found.term < 0) {
      pending.push_back(i);
      ++i;
      continue;
    }
    TTerm* term = Terms->Items(found.term);
    const int j = found.lastWord;
    FlushPending(pending, *level.target);
    if (term->EndWords.empty()) {
      const TTextWord& a = Words->Words(i);
      const TTextWord& z = Words->Words(j);
      level.target->AddWord(term, a.StartPoint(), nullptr, z.EndPoint(), z.StartPoint());
      i = j + 1;
      continue;
    }
    if (term->EndsAtLineEnd() && Words->IsLastOnLine(j)) {
      // A line comment with nothing after it on its line.
      const TTextWord& a = Words->Words(i);
      const TTextWord& z = Words->Words(j);
      level.target->AddWord(term, a.StartPoint(), std::make_unique<TParserWordList>(), z.EndPoint(),
                            z.StartPoint());
      i = j + 1;
      continue;
    }
    if (levels.size() > kMaxNesting) {
      const TTextWord& w = Words->Words(i);
      throw Error("Слишком глубокая вложенность разделителей: " + PositionText(w.Line, w.Col));
    }
    Level inner;
    inner.term = term;
    inner.children = std::make_unique<TParserWordList>();
    inner.target = inner.children.get();
    inner.raw = !term->Nested;
    inner.rawStart = j + 1;
    inner.startWord = i;
    inner.startLast = j;
    levels.push_back(std::move(inner));
    i = j + 1;
  }
}

void TParser::Parse(std::vector<std::string>& lines, TTermList& terms, TParserWordList& result) {
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
    }
  } reset{*this};
  terms.Prepare();
  Words->Parse(lines, terms.Separators);
  if (Words->Count() > 0) ParseWords(result);
}

}  // namespace ambrix
