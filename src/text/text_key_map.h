#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/quick_hash.h"

namespace ambrix {

/// A table from texts to values for the many short keys an import gathers
/// (an entry per object of a script). The keys are kept one after another in
/// one string and the entries in one array, found through a table of slots:
/// filling it makes no allocation per key, and clearing or destroying it
/// frees three blocks, where a node-based map frees two per key.
template <class Value>
class TTextKeyMap {
 public:
  std::size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }

  /// Forgets every key and gives the memory back.
  void Clear() {
    std::vector<Entry>().swap(entries_);
    std::vector<std::uint32_t>().swap(slots_);
    std::string().swap(keys_);
  }

  /// The value of `key`; null when the table has none.
  const Value* Find(std::string_view key) const {
    if (entries_.empty()) return nullptr;
    const std::uint64_t hash = QuickHash(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t index = slots_[slot];
      if (index == 0) return nullptr;
      const Entry& entry = entries_[index - 1];
      if (entry.hash == hash && KeyOf(entry) == key) return &entry.value;
    }
  }
  Value* Find(std::string_view key) { return const_cast<Value*>(std::as_const(*this).Find(key)); }
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }

  /// Adds `key` with `value` unless the table has it already (its value then
  /// stays). True when it was added.
  bool Insert(std::string_view key, const Value& value) { return Place(key, value, false); }
  /// Sets the value of `key`, adding the key when the table lacks it.
  void Assign(std::string_view key, const Value& value) { Place(key, value, true); }

 private:
  struct Entry {
    std::uint64_t hash;
    std::size_t offset;  ///< where the key starts in keys_
    std::size_t length;
    Value value;
  };

  std::string_view KeyOf(const Entry& entry) const { return std::string_view(keys_).substr(entry.offset, entry.length); }

  bool Place(std::string_view key, const Value& value, bool overwrite) {
    // At most half the slots are taken: a search meets an empty one soon.
    if (2 * (entries_.size() + 1) > slots_.size()) Grow();
    const std::uint64_t hash = QuickHash(key);
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
      Entry& entry = entries_[slots_[slot] - 1];
      if (entry.hash == hash && KeyOf(entry) == key) {
        if (overwrite) entry.value = value;
        return false;
      }
    }
    entries_.push_back(Entry{hash, keys_.size(), key.size(), value});
    keys_.append(key);
    slots_[slot] = static_cast<std::uint32_t>(entries_.size());
    return true;
  }

  void Grow() {
    slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      std::size_t slot = entries_[i].hash & mask;
      while (slots_[slot] != 0) slot = (slot + 1) & mask;
      slots_[slot] = static_cast<std::uint32_t>(i + 1);
    }
  }

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  ///< an entry's index + 1; 0: empty
  std::string keys_;
};

}  // namespace ambrix
