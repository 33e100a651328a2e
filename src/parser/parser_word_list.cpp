#include "parser/parser_word_list.h"

#include "parser/parse_arena.h"
#include "parser/parser_text_word_list.h"
#include "text/utf8.h"

namespace ambrix {

TParserWord::~TParserWord() {
  // Free the children before the term they may refer to is gone.
  Children.reset();
}

void TParserWord::CopyTo(bool deep, TParserWordList& target) const {
  std::unique_ptr<TParserWordList> children;
  if (Children) children = Children->Copy(deep);
  if (Term->Kind == tkDefined) {
    target.AddWord(Term, StartPos, std::move(children), EndPos, EndWordPos);
  } else {
    target.AddWord(Term->Clone(), StartPos, std::move(children), EndPos, EndWordPos);
  }
}

int TParserWord::IndexInOwner() const {
  if (!Owner) return -1;
  if (index_ >= 0 && index_ < Owner->Count() && Owner->items_[static_cast<std::size_t>(index_)] == this) {
    return index_;
  }
  for (int i = 0; i < Owner->Count(); ++i) {
    if (Owner->items_[static_cast<std::size_t>(i)] == this) return i;
  }
  return -1;
}

TParserWordList::ArenaHold::~ArenaHold() {
  if (arena) arena->Release();
}

TParserWordList::TParserWordList(TParseArena& arena) : OwnsObjects(true), inArena_(true), items_(&arena) {
  arena.AddRef();
  hold_.arena = &arena;
}

TParserWordList::~TParserWordList() {
  // The editable text unties itself from the nodes, so it goes first.
  TextList.reset();
  FreeCreated();
}

void TParserWordList::operator delete(TParserWordList* list, std::destroying_delete_t) {
  TParseArena* home = list->inArena_ ? list->hold_.arena : nullptr;
  if (!home) {
    list->~TParserWordList();
    ::operator delete(list);
    return;
  }
  // The list's own reference may be the arena's last one: keep the memory
  // the list stands in until its destructor is done.
  home->AddRef();
  list->~TParserWordList();
  home->Release();
}

TParseArena& TParserWordList::PrepareArena() {
  TParseArena* arena = hold_.arena;
  if (arena && arena->Unique() && !inArena_) {
    arena->Reset();
    return *arena;
  }
  // A list made in an arena keeps it: the list stands in it. It has no nodes
  // left, so what the arena already holds is only unused memory.
  if (arena && inArena_) return *arena;
  if (arena) arena->Release();
  arena = new TParseArena();
  arena->AddRef();
  hold_.arena = arena;
  return *arena;
}

std::unique_ptr<TParserWordList> TParserWordList::NewChildList() {
  TParseArena& arena = *hold_.arena;
  void* memory = arena.Allocate(sizeof(TParserWordList), alignof(TParserWordList));
  return std::unique_ptr<TParserWordList>(::new (memory) TParserWordList(arena));
}

TParserWord* TParserWordList::NewNode() {
  if (hold_.arena) return hold_.arena->New<TParserWord>();
  return new TParserWord();
}

void TParserWordList::FreeNode(TParserWord* node) {
  if (hold_.arena) {
    // The arena takes the memory back; a node that owns nothing has nothing
    // for its destructor to do.
    if (node->Children || node->ownedTerm_) node->~TParserWord();
  } else {
    delete node;
  }
}

void TParserWordList::FreeCreated() {
  flatValid_ = false;
  flat_.clear();
  if (given_) {
    for (TParserWord* node : created_) FreeNode(node);
  } else {
    for (TParserWord* node : items_) FreeNode(node);
  }
  items_.clear();
  created_.clear();
  given_ = false;
}

int TParserWordList::Add(TParserWord* node) {
  flatValid_ = false;
  if (!given_) {
    created_.assign(items_.begin(), items_.end());
    given_ = true;
  }
  items_.push_back(node);
  return Count() - 1;
}

int TParserWordList::AddOwned(TParserWord* node) {
  flatValid_ = false;
  try {
    if (given_) created_.push_back(node);
    items_.push_back(node);
  } catch (...) {
    if (given_ && !created_.empty() && created_.back() == node) created_.pop_back();
    FreeNode(node);
    throw;
  }
  node->Owner = this;
  node->index_ = Count() - 1;
  if (node->Children) node->Children->ParentWord = node;
  return Count() - 1;
}

int TParserWordList::AddWord(TTerm* term, TTextPoint startPos, std::unique_ptr<TParserWordList> children,
                             TTextPoint endPos, TTextPoint endWordPos) {
  TParserWord* node = NewNode();
  node->Term = term;
  node->StartPos = startPos;
  node->EndPos = endPos;
  node->EndWordPos = endWordPos;
  node->Children = std::move(children);
  return AddOwned(node);
}

int TParserWordList::AddWord(std::unique_ptr<TTerm> term, TTextPoint startPos,
                             std::unique_ptr<TParserWordList> children, TTextPoint endPos, TTextPoint endWordPos) {
  TParserWord* node = NewNode();
  node->Term = term.get();
  node->ownedTerm_ = std::move(term);
  node->StartPos = startPos;
  node->EndPos = endPos;
  node->EndWordPos = endWordPos;
  node->Children = std::move(children);
  return AddOwned(node);
}

std::unique_ptr<TParserWordList> TParserWordList::SubList(bool deep, int fromIndex, int toIndex) const {
  auto list = std::make_unique<TParserWordList>(deep);
  list->ParentWord = ParentWord;
  if (fromIndex < 0) fromIndex = 0;
  if (toIndex >= Count()) toIndex = Count() - 1;
  for (int i = fromIndex; i <= toIndex; ++i) {
    TParserWord* node = items_[static_cast<std::size_t>(i)];
    if (deep) {
      node->CopyTo(true, *list);
    } else {
      list->Add(node);
    }
  }
  return list;
}

std::unique_ptr<TParserWordList> TParserWordList::Copy(bool deep) const { return SubList(deep, 0, Count() - 1); }

void TParserWordList::Clear() {
  if (TextList) {
    // Emptying the text unties its words from the nodes before they go.
    TextList->Clear();
    spareText_ = std::move(TextList);
  }
  FreeCreated();
}

TParserWordList* TParserWordList::Root() {
  TParserWordList* list = this;
  while (list->ParentWord && list->ParentWord->Owner) list = list->ParentWord->Owner;
  return list;
}

TParserTextWordList* TParserWordList::RootTextList() const {
  return const_cast<TParserWordList*>(this)->Root()->TextList.get();
}

TParserTextWordList& TParserWordList::EnsureTextList() {
  TParserWordList* root = Root();
  if (root->TextList) {
    root->TextList->Clear();
  } else if (root->spareText_) {
    root->TextList = std::move(root->spareText_);
  } else {
    root->TextList = std::make_unique<TParserTextWordList>(root);
  }
  return *root->TextList;
}

namespace {

// Where a text of extent `extent` placed at `pos` ends: the line and the
// column just after its last character. A raw text (a string or comment) may
// span lines; its later lines start at column 1 with their own blanks in the
// text.
struct TextEnd {
  int line;
  int col;
};

TextEnd EndOf(const TTextExtent& extent, TTextPoint pos) {
  return {pos.Line + extent.lineBreaks, (extent.lineBreaks > 0 ? 1 : pos.Col) + extent.lastLineChars};
}

struct TextBuilder {
  TParserTextWordList& text;
  const TParserWordList& root;
  int indent;
  int line = 0;
  int col = 1;

  void Build(const TParserWordList& list) {
    for (TParserWord* node : list) {
      const bool firstOfRoot = &list == &root && node == root.Words(0);
      if (node->StartPos.Line != line) col = 1;
      const std::string& start = node->Term->FormattedStartText();
      int lineBreaks = node->StartPos.Line - line;
      int spaces = node->StartPos.Col - col;
      if (lineBreaks > 0 || firstOfRoot) spaces += indent;
      const TextEnd after = EndOf(node->Term->FormattedStartExtent(), node->StartPos);
      text.AppendCopy(node, true, spaces, lineBreaks, start);
      line = after.line;
      col = after.col;

      if (node->Children) Build(*node->Children);

      if (!node->Term->HasEndText()) continue;
      const std::string& end = node->Term->FormattedEndText();
      if (node->EndWordPos.Line != line) col = 1;
      const TextEnd afterEnd = EndOf(node->Term->FormattedEndExtent(), node->EndWordPos);
      lineBreaks = node->EndWordPos.Line - line;
      spaces = node->EndWordPos.Col - col;
      // Only a word that begins a line is indented; the closing word of a
      // first construct on the first line stays where the source has it.
      if (lineBreaks > 0) spaces += indent;
      text.AppendCopy(node, false, spaces, lineBreaks, end);
      line = afterEnd.line;
      col = afterEnd.col;
    }
  }
};

}  // namespace

void TParserWordList::BuildText(int indent) {
  TParserWordList* root = Root();
  TParserTextWordList& text = root->EnsureTextList();
  TextBuilder builder{text, *root, indent};
  builder.Build(*root);
}

}  // namespace ambrix
