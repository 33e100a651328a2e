#pragma once

#include <memory>
#include <memory_resource>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "parser/parser_text_word_list.h"
#include "parser/term.h"
#include "text/text_point.h"

namespace ambrix {

class TParserWordList;
class TParseArena;

/// One node of a parse result.
class TParserWord {
 public:
  TParserWord() = default;
  TParserWord(const TParserWord&) = delete;
  TParserWord& operator=(const TParserWord&) = delete;
  ~TParserWord();

  TTextPoint StartPos;     ///< line (from 0) and column (from 1) of the first character
  TTextPoint EndWordPos;   ///< where the node's last word starts
  /// A registered term (`tkDefined`), a term the node owns (a copy's plain
  /// word, a list item), or the plain term the parser made for every word of
  /// the same text in the parse result (it lives as long as the result).
  TTerm* Term = nullptr;
  TParserWordList* Owner = nullptr;  ///< the list the node was created in; not owned
  /// The nodes between a delimiter's start and end sequences; for a list item
  /// a list that points at the item's stretch without owning it.
  std::unique_ptr<TParserWordList> Children;
  TParserTextWord* StartTextWord = nullptr;  ///< start word in the editable text; not owned
  TParserTextWord* EndTextWord = nullptr;    ///< end word in the editable text; not owned
  TTextPoint EndPos;       ///< last character of the node's last word

  /// The node's text: its term's `StartText`.
  const std::string& Text() const { return Term->StartText(); }
  /// The node's type: its term's `TypeName`.
  const std::string& TypeName() const { return Term->TypeName; }

  /// Appends a copy of the node to `target`: same positions, the same term if
  /// it is registered, a clone otherwise, and `Copy(deep)` of the children.
  void CopyTo(bool deep, TParserWordList& target) const;
  /// The node's index in its `Owner`, -1 when it is not there.
  int IndexInOwner() const;
  /// `EndTextWord` if set, otherwise `StartTextWord`.
  TParserTextWord* LastTextWord() const { return EndTextWord ? EndTextWord : StartTextWord; }

 private:
  friend class TParserWordList;
  friend class TParserTextWordList;
  std::unique_ptr<TTerm> ownedTerm_;
  int index_ = -1;        // position in Owner at creation (checked before use)
  int tiedTextWords_ = 0;  // text words whose ParserWord is this node
};

/// A list of parse nodes: the parse result, a node's children, or a list that
/// only points at nodes of another list (searches, splits, shallow copies).
///
/// Index arguments and results are 0-based, -1 means none. Type and text
/// arguments are compared after trimming and upper-casing; type lists are
/// normalised the same way. Only `FindAll` and `FindAllByType` descend into
/// `Children`.
class TParserWordList {
 public:
  explicit TParserWordList(bool ownsObjects = true) : OwnsObjects(ownsObjects) {}
  TParserWordList(const TParserWordList&) = delete;
  TParserWordList& operator=(const TParserWordList&) = delete;
  ~TParserWordList();
  /// A child list the parser made lives in its result's arena: deleting it
  /// runs the destructor and leaves the memory to the arena.
  static void operator delete(TParserWordList* list, std::destroying_delete_t);

  /// true: the list frees its nodes; false: it points at nodes of another list
  /// and frees only the item nodes a split made in it.
  bool OwnsObjects;
  /// The node whose `Children` this list is; null for a root list.
  TParserWord* ParentWord = nullptr;
  /// The editable text of a root list; owned.
  std::unique_ptr<TParserTextWordList> TextList;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  TParserWord* Words(int i) const { return items_[static_cast<std::size_t>(i)]; }
  TParserWord* operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  /// Appends an existing node (the list does not take it over).
  int Add(TParserWord* node);
  /// Creates a node in this list (its `Owner`) for a registered term (not
  /// owned), makes it the `ParentWord` of `children`, appends it and returns
  /// its index.
  int AddWord(TTerm* term, TTextPoint startPos, std::unique_ptr<TParserWordList> children,
              TTextPoint endPos, TTextPoint endWordPos);
  /// The same for a term the node takes over (a plain word, a list item).
  int AddWord(std::unique_ptr<TTerm> term, TTextPoint startPos, std::unique_ptr<TParserWordList> children,
              TTextPoint endPos, TTextPoint endWordPos);

  /// A new list of the nodes fromIndex..toIndex with this list's `ParentWord`:
  /// deep, copies it owns; otherwise the same nodes, not owned.
  std::unique_ptr<TParserWordList> SubList(bool deep, int fromIndex, int toIndex) const;
  /// `SubList(deep, 0, Count() - 1)`.
  std::unique_ptr<TParserWordList> Copy(bool deep) const;
  /// Drops the list's editable text (TextList becomes null), then empties the list.
  void Clear();

  /// The editable text of the root list reached through `ParentWord` and its
  /// `Owner`; null when the root has none.
  TParserTextWordList* RootTextList() const;
  /// The root list reached through `ParentWord` and its `Owner`.
  TParserWordList* Root();

  // Editable text.

  /// Creates the root's editable text, or empties it if it exists.
  TParserTextWordList& EnsureTextList();
  /// Creates or empties the root's editable text and fills it from the tree:
  /// one text word for every node's start text and one for every end text,
  /// with the source's line breaks and blanks (a raw text spanning lines is
  /// followed from where it ends, so it prints as written); `indent` more
  /// blanks before the first word and before every word that begins a line.
  void BuildText(int indent);

  // Searches.

  /// First index >= from whose node's term is `term` itself.
  int IndexOfTerm(int from, const TTerm* term) const;
  /// First index in from..to (to: the last index when omitted) whose node's
  /// text equals `text`, letter case ignored.
  int IndexOfText(int from, std::string_view text) const;
  int IndexOfText(int from, std::string_view text, int to) const;
  /// First index >= from whose node has a `tkDefined` term of that type.
  int IndexOfType(int from, std::string_view typeName) const;
  /// The same from `high` down to `low`; -1 when high < low.
  int LastIndexOfType(int low, int high, std::string_view typeName) const;
  /// First index >= from whose node's type is none of `types` (any kind).
  int IndexOfNotType(int from, const std::vector<std::string>& types) const;
  /// Last index <= from whose node's type is none of `types`; -1 when from < 0.
  int LastIndexOfNotType(int from, const std::vector<std::string>& types) const;
  /// The n-th index after `from` (n >= 1) whose node's type is none of `types`.
  int NextNotType(int from, int n, const std::vector<std::string>& types) const;
  /// The n-th index before `from` (n >= 1) whose node's type is none of `types`.
  int PrevNotType(int from, int n, const std::vector<std::string>& types) const;
  /// First index >= from whose node's term has `tag` among its tags.
  int IndexOfTag(int from, std::string_view tag) const;

  /// Collects into `out` (emptied, made non-owning) the nodes of the whole tree,
  /// depth first, whose key (the text, or with `byStartText` false the first
  /// start word) equals one of `texts`; nodes of `types` are neither collected
  /// nor entered.
  void FindAll(const std::vector<std::string>& texts, bool byStartText, TParserWordList& out,
               const std::vector<std::string>& types) const;
  void FindAll(std::span<const std::string_view> texts, bool byStartText, TParserWordList& out,
               std::span<const std::string_view> types) const;
  /// `FindAll` into a plain array of the nodes (emptied first).
  void FindAll(std::span<const std::string_view> texts, bool byStartText, std::vector<TParserWord*>& out,
               std::span<const std::string_view> types) const;
  /// Collects into `out` (emptied, made non-owning) every node of the whole
  /// tree whose type is one of `types`.
  void FindAllByType(TParserWordList& out, const std::vector<std::string>& types) const;

  /// Cuts from..to into item nodes at the nodes of `term`; `out` is emptied and
  /// made non-owning; it owns the items it receives, never the tree's nodes.
  /// Empty stretches add no item. `alwaysItem`: with no separator at all the
  /// whole range is one item. `singleWords`: parts and separators alternate,
  /// each part one node; the chain ends at the first separator that does not
  /// follow a single node, and the node after the last separator is the last
  /// item.
  void SplitByTerm(const TTerm* term, int from, TParserWordList& out, bool singleWords, bool alwaysItem,
                   int to) const;
  /// `SplitByTerm` over the whole list.
  void SplitByTerm(const TTerm* term, bool alwaysItem, TParserWordList& out, bool singleWords) const;

 private:
  friend class TParserWord;
  // A reference to the arena the list's nodes (and, for a list made in it,
  // the list itself) come from; declared first so that it is released last,
  // after `items_` has given its array back.
  struct ArenaHold {
    TParseArena* arena = nullptr;
    ~ArenaHold();
  };
  ArenaHold hold_;
  bool inArena_ = false;  // the list object itself lives in `hold_.arena`

  // The editable text Clear took away, emptied, kept for the next
  // EnsureTextList: a root list is cleared and filled once per object, and
  // its text's word chunks would otherwise be freed and asked for again each
  // time (large requests that also make the heap sort its small free chunks).
  std::unique_ptr<TParserTextWordList> spareText_;

  // The list frees the nodes it created (AddWord), never those it was given
  // (Add), and never reads a node it was given when it frees: such a node may
  // be gone already. While every item was created here, `items_` alone says
  // what to free; the first `Add` starts the separate list `created_`. Nodes
  // created while the list has an arena come from it, and the arena changes
  // only while the list has none.
  std::pmr::vector<TParserWord*> items_;
  std::vector<TParserWord*> created_;
  bool given_ = false;

  // The nodes of the list and of every list below it in document order, with
  // the keys the searches test first: the rewrite rules search a tree many
  // times, and a run over this array spares them the walk. Made by the first
  // search; a change of this list drops it. The lists below are not changed
  // once they are attached (the parser fills a list before it hands it to
  // its node), so they cannot leave it stale.
  struct FlatWord {
    TParserWord* node;
    std::uint32_t startKey, firstWordKey, typeKey;
    std::int32_t parent;  // the flat index of the node's parent; -1 at this list
    // The previous node (flat index, -1: none) whose start key, first-word
    // key, type key falls in the same bucket of flatStartBuckets_,
    // flatFirstWordBuckets_, flatTypeBuckets_.
    std::int32_t prevByStart, prevByFirstWord, prevByType;
  };
  mutable std::vector<FlatWord> flat_;
  // Hash buckets of the nodes by start key, by first-word key and by type
  // key: the last node of each bucket (-1: none), a power of two of them. A
  // search looks up its texts' (or types') keys instead of reading every node.
  mutable std::vector<std::int32_t> flatStartBuckets_, flatFirstWordBuckets_, flatTypeBuckets_;
  mutable bool flatValid_ = false;
  const std::vector<FlatWord>& Flat() const;

  explicit TParserWordList(TParseArena& arena);
  void FreeCreated();
  TParserWord* NewNode();
  void FreeNode(TParserWord* node);

  friend class TParser;
  int AddOwned(TParserWord* node);
  /// `AddWord` for a registered or plain term, inlined into the parser: for a
  /// list with an arena that was given no nodes (defined in parser.cpp).
  inline void AddParsedWord(TTerm* term, TTextPoint startPos, std::unique_ptr<TParserWordList> children,
                            TTextPoint endPos, TTextPoint endWordPos);
  /// Gives the list (a root the parser fills, already empty) an arena of its
  /// own, reusing the one it has when nothing else holds it.
  TParseArena& PrepareArena();
  /// A new empty child list in the same arena.
  std::unique_ptr<TParserWordList> NewChildList();
  void AddItem(TParserWordList& out, int fromIndex, int toIndex) const;
};

}  // namespace ambrix
