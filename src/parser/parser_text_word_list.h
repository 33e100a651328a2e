#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ambrix {

class TParserWord;
class TParserWordList;
class TParserTextWordList;

/// One word of the editable text with the layout printed before it.
class TParserTextWord {
 public:
  TParserTextWord(const TParserTextWord&) = delete;
  TParserTextWord& operator=(const TParserTextWord&) = delete;

  int LineBreaks = 0;   ///< line breaks before the word; 0 = same line as the previous word
  int Spaces = 0;       ///< blanks before the word (after the line breaks); <= 0 prints none
  std::string Text;     ///< may contain line breaks (a raw text spanning lines)
  TParserTextWord* Next = nullptr;  ///< the `Tail` sentinel after the last word
  TParserTextWord* Prev = nullptr;  ///< the `Head` sentinel before the first word
  TParserWord* ParserWord = nullptr;  ///< the node this word belongs to; not owned
  TParserTextWordList* Owner = nullptr;
  int OutLine = 0;      ///< 1-based line where `Print` last printed the word
  int OutCol = 0;       ///< 1-based column (characters) where `Print` last printed the word
  bool Marked = false;  ///< an alarm mark of the owner's `AlarmMarks` points at the word

  /// Neighbours; null at the ends (never a sentinel).
  TParserTextWord* NextWord() const;
  TParserTextWord* PrevWord() const;

 private:
  friend class TParserTextWordList;
  TParserTextWord() = default;
  ~TParserTextWord() = default;
};

/// A warning a rewrite rule tied to a word of the editable text while it
/// changed that text: it is reported at the place where the word is printed.
struct TAlarmMark {
  /// The word the warning stands at; null: after the last word. When the word
  /// is deleted, the mark passes to the word that followed it.
  TParserTextWord* At = nullptr;
  std::string VarName;  ///< the alarm kind
  std::string Word;     ///< the source text the warning is about
};

/// The editable text of a root parse result: a chain of words between the two
/// sentinels `Head` and `Tail`, which can be neither deleted, moved, nor (Head)
/// inserted before. The chain owns its words. A word tied to a parser word is
/// that node's start or end word (`StartTextWord`/`EndTextWord`); creating a
/// tied word sets the node's link, freeing it clears the link.
///
/// Operations that fail raise ambrix::Error and leave the chain as it was.
class TParserTextWordList {
 public:
  explicit TParserTextWordList(TParserWordList* owner = nullptr);
  TParserTextWordList(const TParserTextWordList&) = delete;
  TParserTextWordList& operator=(const TParserTextWordList&) = delete;
  ~TParserTextWordList();

 private:
  // The sentinels live in the list itself; declared before `Head` and `Tail`,
  // which point at them.
  TParserTextWord head_;
  TParserTextWord tail_;

 public:
  TParserTextWord* const Head;  ///< sentinel before the first word; owned
  TParserTextWord* const Tail;  ///< sentinel after the last word; owned
  TParserWordList* Owner;       ///< the root parse result whose `TextList` this is

  TParserTextWord* First() const;
  TParserTextWord* Last() const;
  bool Empty() const { return Head->Next == Tail; }

  /// The first word of the chain whose `ParserWord` is `node`, or null.
  TParserTextWord* FindByParserWord(const TParserWord* node) const;

  /// Adds a word at the end, tied to `node` (if given) as its start word
  /// (`isStart`) or end word. The first word of a text always gets at least
  /// one line break.
  TParserTextWord* Append(TParserWord* node, bool isStart, int spaces, int lineBreaks, std::string text);
  /// `Append` of a copy of `text`, made in the new word itself.
  TParserTextWord* AppendCopy(TParserWord* node, bool isStart, int spaces, int lineBreaks, std::string_view text);
  /// Adds a word before `before` (at the end when `before` is null); before the
  /// first word it gets at least one line break. `joinNext` pulls the word
  /// after it onto its line (no line breaks, at least one blank). Raises
  /// "Невозможна вставка перед системным обьектом" before `Head`.
  TParserTextWord* InsertBefore(TParserWord* node, bool isStart, bool joinNext, int spaces, int lineBreaks,
                                TParserTextWord* before, std::string text);
  /// Adds a word after `after` (`Append` when it is the last word).
  TParserTextWord* InsertAfter(TParserWord* node, bool isStart, bool joinNext, int spaces, int lineBreaks,
                               TParserTextWord* after, std::string text);
  /// Adds a word before the first word tied to `beforeNode`. Raises
  /// "Ключевое слово не найдено для вставки" when there is none.
  TParserTextWord* InsertBeforeParserWord(TParserWord* node, bool isStart, bool joinNext, int spaces,
                                          int lineBreaks, const TParserWord* beforeNode, std::string text);

  /// Removes one word; with `keepLayout` the following word takes over its line
  /// breaks and blanks. Raises "Невозможно удаление системных обьектов" for a
  /// sentinel.
  void Delete(TParserTextWord* word, bool keepLayout);
  /// Removes firstWord..lastWord (lastWord at or after firstWord); with
  /// `keepLayout` the following word takes over the layout of `lastWord`.
  void DeleteRange(TParserTextWord* firstWord, TParserTextWord* lastWord, bool keepLayout);
  /// Removes `count` words from `word` on (`DeleteRange` to `WordAt`).
  void DeleteCount(TParserTextWord* word, int count, bool keepLayout);
  /// The n-th word counting `word` as the first; the last word when the chain
  /// ends first. Raises "Невозможно удаление системных обьектов" for a sentinel.
  TParserTextWord* WordAt(TParserTextWord* word, int n) const;
  /// Removes a node's text words: mode 0 the start word only, 1 the start and
  /// end words (the content stays), 2 everything from start to end word. A node
  /// without end text is always mode 0. Raises "Стартовое ключевое слово для
  /// удаления не найдено" / "Конечное ключевое слово для удаления не найдено".
  void DeleteParserWord(TParserWord* node, int mode, bool keepLayout);

  /// Moves `word` just before `target`, keeping its layout. Raises "Невозможна
  /// вставка перед системным обьектом" when target is `Head` and "Невозможна
  /// обработка системного обьекта" when the word is a sentinel.
  void MoveBefore(TParserTextWord* target, TParserTextWord* word);
  /// Moves firstWord..lastWord, in order, just before `target`.
  void MoveRangeBefore(TParserTextWord* target, TParserTextWord* firstWord, TParserTextWord* lastWord);

  /// Frees every word except the sentinels, and drops the alarm marks.
  void Clear();

  /// The warnings rules tied to words of the text, in the order they were
  /// added (see TAlarmMark).
  std::vector<TAlarmMark> AlarmMarks;
  /// Ties a warning of kind `varName` about `word` to the text word `at`.
  void MarkAlarm(TParserTextWord* at, std::string varName, std::string word);

  /// Prints fromWord..toWord (or to the end of the chain) into `lines`
  /// (emptied first) and records every printed word's `OutLine`/`OutCol`. The
  /// line breaks of the chain's first word are never printed; LineBreaks n > 1
  /// prints one line of n - 1 blanks. A text holding line breaks (a string or
  /// comment spanning lines) is printed as separate items, so every item of
  /// `lines` is one line and `OutLine` counts true lines.
  void Print(TParserTextWord* fromWord, TParserTextWord* toWord, std::vector<std::string>& lines);
  /// `Print(First(), Last(), lines)`.
  void PrintAll(std::vector<std::string>& lines);

 private:
  TParserTextWord* NewWord(TParserWord* node, bool isStart, int spaces, int lineBreaks, std::string text);
  TParserTextWord* NewWord(TParserWord* node, bool isStart, int spaces, int lineBreaks, std::string_view text);
  /// Frees a word taken out of the chain; an alarm mark at it passes to
  /// `successor`, the word that followed it (null or Tail: the end).
  void FreeWord(TParserTextWord* word, TParserTextWord* successor = nullptr);

  // Words come from chunks the list keeps until it is freed; a freed word's
  // memory goes to `free_` for the next new word. `Clear` frees every word, so
  // it makes all chunks free again.
  struct FreeSlot {
    FreeSlot* next;
  };
  union Slot {
    Slot() {}
    ~Slot() {}
    TParserTextWord word;
    FreeSlot free;
  };
  struct Chunk {
    std::unique_ptr<Slot[]> memory;
    std::size_t size;
  };
  std::vector<Chunk> chunks_;
  std::size_t chunk_ = 0;  // the chunk new words are taken from
  std::size_t used_ = 0;   // slots of that chunk taken
  FreeSlot* free_ = nullptr;
  void* AllocateWord() {
    if (free_) {
      FreeSlot* slot = free_;
      free_ = slot->next;
      return slot;
    }
    if (chunk_ < chunks_.size() && used_ < chunks_[chunk_].size) return &chunks_[chunk_].memory[used_++];
    return AllocateWordFromNextChunk();
  }
  void* AllocateWordFromNextChunk();
  static void Unlink(TParserTextWord* first, TParserTextWord* last);
  static void LinkBefore(TParserTextWord* target, TParserTextWord* first, TParserTextWord* last);
};

}  // namespace ambrix
