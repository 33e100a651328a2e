#include "parser/parser_text_word_list.h"

#include "parser/parser_word_list.h"
#include "text/error.h"

namespace ambrix {

namespace {
constexpr const char* kInsertBeforeSystem = "Невозможна вставка перед системным обьектом";
constexpr const char* kProcessSystem = "Невозможна обработка системного обьекта";
constexpr const char* kDeleteSystem = "Невозможно удаление системных обьектов";
// Words in a chunk at most: a chunk stays well below the size the C library
// maps from the system (and gives back) on every allocation.
constexpr std::size_t kLargestChunk = 512;
}  // namespace

TParserTextWord* TParserTextWord::NextWord() const {
  if (!Next || !Owner || Next == Owner->Tail) return nullptr;
  return Next;
}

TParserTextWord* TParserTextWord::PrevWord() const {
  if (!Prev || !Owner || Prev == Owner->Head) return nullptr;
  return Prev;
}

TParserTextWordList::TParserTextWordList(TParserWordList* owner) : Head(&head_), Tail(&tail_), Owner(owner) {
  Head->Owner = this;
  Tail->Owner = this;
  Head->Next = Tail;
  Tail->Prev = Head;
}

TParserTextWordList::~TParserTextWordList() { Clear(); }

TParserTextWord* TParserTextWordList::First() const { return Head->Next == Tail ? nullptr : Head->Next; }
TParserTextWord* TParserTextWordList::Last() const { return Tail->Prev == Head ? nullptr : Tail->Prev; }

void* TParserTextWordList::AllocateWordFromNextChunk() {
  while (chunk_ < chunks_.size() && used_ == chunks_[chunk_].size) {
    ++chunk_;
    used_ = 0;
  }
  if (chunk_ == chunks_.size()) {
    const std::size_t size = chunks_.empty() ? 64 : std::min<std::size_t>(chunks_.back().size * 2, kLargestChunk);
    chunks_.push_back(Chunk{std::unique_ptr<Slot[]>(new Slot[size]), size});
    used_ = 0;
  }
  return &chunks_[chunk_].memory[used_++];
}

TParserTextWord* TParserTextWordList::NewWord(TParserWord* node, bool isStart, int spaces, int lineBreaks,
                                              std::string text) {
  TParserTextWord* word = NewWord(node, isStart, spaces, lineBreaks, std::string_view());
  word->Text = std::move(text);
  return word;
}

TParserTextWord* TParserTextWordList::NewWord(TParserWord* node, bool isStart, int spaces, int lineBreaks,
                                              std::string_view text) {
  void* memory = AllocateWord();
  auto* word = ::new (memory) TParserTextWord();
  try {
    word->Text.assign(text);
  } catch (...) {
    // Nothing is tied or linked yet: the slot goes back to the free ones.
    word->~TParserTextWord();
    free_ = ::new (memory) FreeSlot{free_};
    throw;
  }
  word->Owner = this;
  word->Spaces = spaces;
  word->LineBreaks = lineBreaks;
  if (node) {
    word->ParserWord = node;
    ++node->tiedTextWords_;
    (isStart ? node->StartTextWord : node->EndTextWord) = word;
  }
  return word;
}

void TParserTextWordList::MarkAlarm(TParserTextWord* at, std::string varName, std::string word) {
  if (at == Head || at == Tail) at = nullptr;
  if (at) at->Marked = true;
  AlarmMarks.push_back(TAlarmMark{at, std::move(varName), std::move(word)});
}

void TParserTextWordList::FreeWord(TParserTextWord* word, TParserTextWord* successor) {
  if (word->Marked) {
    // The warning stays where the word stood: at the word that followed it
    // (the words of a deleted run are freed first to last, so the marks end
    // after the run).
    TParserTextWord* next = successor == Tail ? nullptr : successor;
    for (TAlarmMark& mark : AlarmMarks)
      if (mark.At == word) mark.At = next;
    if (next) next->Marked = true;
  }
  if (TParserWord* node = word->ParserWord) {
    --node->tiedTextWords_;
    if (node->StartTextWord == word) node->StartTextWord = nullptr;
    if (node->EndTextWord == word) node->EndTextWord = nullptr;
  }
  word->~TParserTextWord();
  free_ = ::new (static_cast<void*>(word)) FreeSlot{free_};
}

void TParserTextWordList::Unlink(TParserTextWord* first, TParserTextWord* last) {
  first->Prev->Next = last->Next;
  last->Next->Prev = first->Prev;
  first->Prev = nullptr;
  last->Next = nullptr;
}

void TParserTextWordList::LinkBefore(TParserTextWord* target, TParserTextWord* first, TParserTextWord* last) {
  first->Prev = target->Prev;
  last->Next = target;
  target->Prev->Next = first;
  target->Prev = last;
}

TParserTextWord* TParserTextWordList::FindByParserWord(const TParserWord* node) const {
  auto ours = [&](const TParserTextWord* w) { return w && w->Owner == this && w->ParserWord == node; };
  if (node) {
    // A node usually has one or two tied words, its start and end words;
    // avoid a walk over the whole chain for them.
    TParserTextWord* start = node->StartTextWord;
    TParserTextWord* end = node->EndTextWord;
    if (node->tiedTextWords_ == 0) return nullptr;
    if (node->tiedTextWords_ == 1) {
      if (ours(start)) return start;
      if (ours(end)) return end;
    } else if (node->tiedTextWords_ == 2 && ours(start) && ours(end) && start != end) {
      for (TParserTextWord* w = start; w != Tail; w = w->Next) {
        if (w == end) return start;
      }
      return end;
    }
  }
  for (TParserTextWord* w = Head->Next; w != Tail; w = w->Next) {
    if (w->ParserWord == node) return w;
  }
  return nullptr;
}

TParserTextWord* TParserTextWordList::Append(TParserWord* node, bool isStart, int spaces, int lineBreaks,
                                             std::string text) {
  TParserTextWord* word = AppendCopy(node, isStart, spaces, lineBreaks, {});
  word->Text = std::move(text);
  return word;
}

TParserTextWord* TParserTextWordList::AppendCopy(TParserWord* node, bool isStart, int spaces, int lineBreaks,
                                                 std::string_view text) {
  if (Empty() && lineBreaks == 0) lineBreaks = 1;
  TParserTextWord* word = NewWord(node, isStart, spaces, lineBreaks, text);
  LinkBefore(Tail, word, word);
  return word;
}

TParserTextWord* TParserTextWordList::InsertBefore(TParserWord* node, bool isStart, bool joinNext, int spaces,
                                                   int lineBreaks, TParserTextWord* before, std::string text) {
  if (before == Head) throw Error(kInsertBeforeSystem);
  if (!before || before == Tail) return Append(node, isStart, spaces, lineBreaks, std::move(text));
  if (before == First() && lineBreaks == 0) lineBreaks = 1;
  TParserTextWord* word = NewWord(node, isStart, spaces, lineBreaks, std::move(text));
  LinkBefore(before, word, word);
  if (joinNext && word->Next != Tail) {
    word->Next->LineBreaks = 0;
    if (word->Next->Spaces == 0) word->Next->Spaces = 1;
  }
  return word;
}

TParserTextWord* TParserTextWordList::InsertAfter(TParserWord* node, bool isStart, bool joinNext, int spaces,
                                                  int lineBreaks, TParserTextWord* after, std::string text) {
  if (!after || after == Tail || after == Last()) return Append(node, isStart, spaces, lineBreaks, std::move(text));
  return InsertBefore(node, isStart, joinNext, spaces, lineBreaks, after->Next, std::move(text));
}

TParserTextWord* TParserTextWordList::InsertBeforeParserWord(TParserWord* node, bool isStart, bool joinNext,
                                                             int spaces, int lineBreaks,
                                                             const TParserWord* beforeNode, std::string text) {
  TParserTextWord* before = FindByParserWord(beforeNode);
  if (!before) throw Error("Ключевое слово не найдено для вставки");
  return InsertBefore(node, isStart, joinNext, spaces, lineBreaks, before, std::move(text));
}

void TParserTextWordList::Delete(TParserTextWord* word, bool keepLayout) {
  if (!word || word == Head || word == Tail) throw Error(kDeleteSystem);
  TParserTextWord* next = word->Next;
  Unlink(word, word);
  if (keepLayout && next != Tail) {
    next->LineBreaks = word->LineBreaks;
    next->Spaces = word->Spaces;
  }
  FreeWord(word, next);
}

void TParserTextWordList::DeleteRange(TParserTextWord* firstWord, TParserTextWord* lastWord, bool keepLayout) {
  if (!firstWord || !lastWord || firstWord == Head || firstWord == Tail || lastWord == Head || lastWord == Tail) {
    throw Error(kDeleteSystem);
  }
  // lastWord must follow firstWord; otherwise the range would run into Tail.
  TParserTextWord* w = firstWord;
  while (w != lastWord && w != Tail) w = w->Next;
  if (w == Tail) throw Error(kDeleteSystem);
  TParserTextWord* next = lastWord->Next;
  Unlink(firstWord, lastWord);
  if (keepLayout && next != Tail) {
    next->LineBreaks = lastWord->LineBreaks;
    next->Spaces = lastWord->Spaces;
  }
  for (w = firstWord; w;) {
    TParserTextWord* following = w->Next;
    FreeWord(w, following ? following : next);
    w = following;
  }
}

TParserTextWord* TParserTextWordList::WordAt(TParserTextWord* word, int n) const {
  if (!word || word == Head || word == Tail) throw Error(kDeleteSystem);
  for (int i = 1; i < n && word->Next != Tail; ++i) word = word->Next;
  return word;
}

void TParserTextWordList::DeleteCount(TParserTextWord* word, int count, bool keepLayout) {
  DeleteRange(word, WordAt(word, count), keepLayout);
}

void TParserTextWordList::DeleteParserWord(TParserWord* node, int mode, bool keepLayout) {
  TParserTextWord* start = node->StartTextWord;
  if (!start) throw Error("Стартовое ключевое слово для удаления не найдено");
  TParserTextWord* end = node->EndTextWord;
  if (!node->Term->HasEndText()) mode = 0;
  if (mode != 2) Delete(start, keepLayout);
  if (mode == 0) return;
  if (!end) throw Error("Конечное ключевое слово для удаления не найдено");
  if (mode == 1) {
    Delete(end, false);
  } else {
    DeleteRange(start, end, keepLayout);
  }
}

void TParserTextWordList::MoveBefore(TParserTextWord* target, TParserTextWord* word) {
  MoveRangeBefore(target, word, word);
}

void TParserTextWordList::MoveRangeBefore(TParserTextWord* target, TParserTextWord* firstWord,
                                          TParserTextWord* lastWord) {
  if (target == Head) throw Error(kInsertBeforeSystem);
  if (!firstWord || !lastWord || firstWord == Head || firstWord == Tail || lastWord == Head || lastWord == Tail) {
    throw Error(kProcessSystem);
  }
  if (!target) target = Tail;
  // The range must run forward to lastWord, and the target must lie outside it.
  TParserTextWord* w = firstWord;
  while (true) {
    if (w == target && w != firstWord) throw Error(kProcessSystem);
    if (w == lastWord) break;
    w = w->Next;
    if (w == Tail) throw Error(kProcessSystem);
  }
  if (target == firstWord || lastWord->Next == target) return;  // already in place
  Unlink(firstWord, lastWord);
  LinkBefore(target, firstWord, lastWord);
}

void TParserTextWordList::Clear() {
  AlarmMarks.clear();
  TParserTextWord* w = Head->Next;
  while (w != Tail) {
    TParserTextWord* next = w->Next;
    FreeWord(w);
    w = next;
  }
  Head->Next = Tail;
  Tail->Prev = Head;
  // No word is left: every chunk is free again.
  free_ = nullptr;
  chunk_ = 0;
  used_ = 0;
}

void TParserTextWordList::Print(TParserTextWord* fromWord, TParserTextWord* toWord, std::vector<std::string>& lines) {
  // The items `lines` already has are written over, so that their room is
  // used again; the rest is cut off at the end.
  std::size_t count = 0;  // lines done
  auto next = [&]() -> std::string& {
    if (count == lines.size()) lines.emplace_back();
    std::string& line = lines[count++];
    line.clear();
    return line;
  };
  std::string* current = &next();
  int col = 1;
  const TParserTextWord* first = First();
  if (fromWord == Head) fromWord = Head->Next;
  for (TParserTextWord* w = fromWord; w && w != Tail; w = w->Next) {
    if (w != first && w->LineBreaks > 0) {
      if (w->LineBreaks > 1) next().assign(static_cast<std::size_t>(w->LineBreaks - 1), ' ');
      current = &next();
      col = 1;
    }
    if (w->Spaces > 0) {
      current->append(static_cast<std::size_t>(w->Spaces), ' ');
      col += w->Spaces;
    }
    w->OutCol = col;
    w->OutLine = static_cast<int>(count);
    // A text spanning lines (a string or comment) is printed as separate
    // lines, so that the line numbers of every later word stay true.
    // One pass finds the line breaks and counts the characters after the
    // last one (every byte but a UTF-8 continuation byte starts one).
    const std::string& text = w->Text;
    std::size_t pieceStart = 0;
    int chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c != '\r' && c != '\n') {
        chars += c == '\t' ? kTabSize : (c & 0xC0) != 0x80;
        continue;
      }
      current->append(text, pieceStart, i - pieceStart);
      current = &next();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      pieceStart = i + 1;
      col = 1;
      chars = 0;
    }
    current->append(text, pieceStart, std::string::npos);
    col += chars;
    if (w == toWord) break;
  }
  // The line in progress is kept only when it holds something.
  if (current->empty()) --count;
  lines.resize(count);
}

void TParserTextWordList::PrintAll(std::vector<std::string>& lines) { Print(First(), Last(), lines); }

}  // namespace ambrix
