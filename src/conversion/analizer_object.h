#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "recognition/convert_context.h"
#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

class TParserWordList;
class TAlarmList;
class TParserTextWord;
class TAnalizerObjectList;

/// Converts the objects of one type object ("TABLE", "INDEX", ...) from the
/// source dialect into the target dialect.
///
/// How the dialect reaches an analyzer: the registry that created it holds
/// the project's `TConvertContext` (term list, the four special terms, the
/// stored-source lookup), and `Context()` returns it. The rewrite rules take
/// the same context as their first argument, so an analyzer passes
/// `Context()` on to every rule it runs. Nothing is global.
///
/// The virtual operations are declared in the order of their slots; see
/// `ConvertObject` (convert_object.h) for the order in which they are called.
class TAnalizerObject {
 public:
  virtual ~TAnalizerObject() = default;

  /// Slot 0: the type object name this analyzer converts.
  virtual std::string GetTypeName() const = 0;
  /// Slot 1: called before conversion work starts (a single object, or a
  /// whole compilation run).
  virtual void BeginCompile() {}
  /// Slot 2: called after it ends, also when the conversion raised.
  virtual void EndCompile() {}
  /// Slot 3: rewrites the object: builds and edits the editable text attached
  /// to `Words`. `ParentName` is the parent table (empty for objects without
  /// one), `ObjectName` the object's own name, both as stored.
  virtual void Convert(const std::string& ParentName, const std::string& ObjectName,
                       TParserWordList& Words) = 0;
  /// Slot 4: appends the lines of the drop script.
  virtual void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                             std::vector<std::string>& DropLines);
  /// Slot 5: appends alarms for the converted (and printed) object.
  virtual void CheckAlarms(const std::string& ParentName, const std::string& ObjectName,
                           TParserWordList& Words, TAlarmList& Alarms);

  /// The type object name of the parent of the object being converted
  /// ("TABLE", "VIEW"), upper case; empty when it has none or the caller
  /// did not say. Set by ConvertObject for the length of one conversion.
  const std::string& ParentTypeName() const { return parentTypeName_; }
  void SetParentTypeName(std::string Name) { parentTypeName_ = std::move(Name); }

  /// The registry this analyzer belongs to; set by `TAnalizerObjectList::Register`.
  TAnalizerObjectList* Owner() const { return owner_; }
  /// The dialect of the project being converted (the owner's context).
  /// Raises when the analyzer was never registered.
  const TConvertContext& Context() const;

 private:
  friend class TAnalizerObjectList;
  TAnalizerObjectList* owner_ = nullptr;
  std::string parentTypeName_;
};

/// Text to be kept inside a block comment, from `From` to the end: every
/// /* and */ in it gets a blank between its two characters (also where two
/// text words meet), so that the comment neither ends nor nests early.
/// Returns the first text word changed, or null.
TParserTextWord* BreakCommentMarks(TParserTextWord& From);

/// The statement of `Words` kept as a comment, for what the target has no
/// such thing for: a line "/*", a line "  -- нет поддержки !!!", the
/// statement with every line indented by two more blanks, a last line "*/".
void CommentOutStatement(TParserWordList& Words);

/// The analyzer registry of one open project. Owns its analyzers and the
/// reference to the project's conversion context, which it hands to them.
class TAnalizerObjectList {
 public:
  /// `Context` must outlive the registry; its terms may be (re)loaded while
  /// the registry is empty.
  explicit TAnalizerObjectList(const TConvertContext& Context) : context_(&Context) {}
  TAnalizerObjectList(const TAnalizerObjectList&) = delete;
  TAnalizerObjectList& operator=(const TAnalizerObjectList&) = delete;

  /// Creates an analyzer of class `T` and appends it; returns its index.
  /// Raises "Анализатор обьектов уже зарегистрирован" when `T`, or a class
  /// derived from it, is already registered (the registry is then unchanged).
  template <class T>
  int Register() {
    if (IndexOfClass<T>() != -1) throw Error("Анализатор обьектов уже зарегистрирован");
    auto analizer = std::make_unique<T>();
    analizer->owner_ = this;
    typeNames_.push_back(UpperTrim(analizer->GetTypeName()));
    items_.push_back(std::move(analizer));
    return Count() - 1;
  }

  /// Index of the first analyzer of class `T` or of a class derived from it; -1 if none.
  template <class T>
  int IndexOfClass() const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (dynamic_cast<const T*>(items_[i].get()) != nullptr) return static_cast<int>(i);
    return -1;
  }

  /// Index of the first analyzer at or after `StartIndex` whose type name
  /// equals `TypeName`, both trimmed and upper-cased; -1 if none.
  int IndexOfTypeName(int StartIndex, const std::string& TypeName) const;

  TAnalizerObject& Items(int Index) const { return *items_.at(static_cast<size_t>(Index)); }
  int Count() const { return static_cast<int>(items_.size()); }
  /// Frees every analyzer (closing a project).
  void Clear() {
    items_.clear();
    typeNames_.clear();
  }

  /// `BeginCompile` / `EndCompile` of every analyzer, in registry order: the
  /// frame of a whole compilation run.
  void BeginCompileAll();
  void EndCompileAll();

  const TConvertContext& Context() const { return *context_; }

 private:
  const TConvertContext* context_;
  std::vector<std::unique_ptr<TAnalizerObject>> items_;
  // The type name of each analyzer, trimmed and upper-cased once: the
  // look-up by type runs for every object converted.
  std::vector<std::string> typeNames_;
};

}  // namespace ambrix
