#pragma once
// Memory of one parse result: its nodes, its child lists and their item
// arrays, and the terms of its plain words come from a few large blocks
// instead of one heap allocation each. Internal to the parser.

#include <cstddef>
#include <memory>
#include <cstdint>
#include <memory_resource>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace ambrix {

class TTerm;

/// A bump allocator shared by the lists of one parse result. Every list that
/// allocates from it holds a reference; the arena is freed with the last one.
/// Freeing an object only runs its destructor: its memory comes back when the
/// arena is reset or freed. Not thread-safe: a parse result belongs to one
/// thread at a time.
class TParseArena final : public std::pmr::memory_resource {
 public:
  TParseArena() = default;
  TParseArena(const TParseArena&) = delete;
  TParseArena& operator=(const TParseArena&) = delete;
  ~TParseArena() override { DestroyTerms(); }

  void AddRef() { ++refs_; }
  void Release() {
    if (--refs_ == 0) delete this;
  }
  bool Unique() const { return refs_ == 1; }

  /// Makes every block free again and destroys the plain terms. Only for an
  /// arena no object of which is alive any more.
  void Reset() {
    DestroyTerms();
    block_ = 0;
    if (!blocks_.empty()) {
      next_ = blocks_[0].data.get();
      end_ = next_ + blocks_[0].size;
    }
  }

  /// Asks for room for about `bytes` more before the next allocations, so that
  /// a large parse takes few large blocks.
  void Expect(std::size_t bytes) { expected_ = bytes; }

  void* Allocate(std::size_t size, std::size_t align) {
    auto p = reinterpret_cast<std::uintptr_t>(next_);
    std::uintptr_t aligned = (p + align - 1) & ~static_cast<std::uintptr_t>(align - 1);
    if (next_ == nullptr || aligned + size > reinterpret_cast<std::uintptr_t>(end_)) {
      NextBlock(size + align);
      p = reinterpret_cast<std::uintptr_t>(next_);
      aligned = (p + align - 1) & ~static_cast<std::uintptr_t>(align - 1);
    }
    next_ = reinterpret_cast<char*>(aligned + size);
    return reinterpret_cast<void*>(aligned);
  }

  template <class T, class... Args>
  T* New(Args&&... args) {
    return ::new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
  }

  /// A plain term (a word or raw text the parser made) that lives as long as
  /// the arena's current use.
  TTerm* NewPlainTerm(std::string_view text);

 protected:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override { return Allocate(bytes, alignment); }
  void do_deallocate(void*, std::size_t, std::size_t) override {}
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    std::size_t size;
  };

  void NextBlock(std::size_t atLeast) {
    // Reuse the blocks a reset left, as long as they are large enough.
    while (block_ + 1 < blocks_.size()) {
      ++block_;
      if (blocks_[block_].size >= atLeast) {
        next_ = blocks_[block_].data.get();
        end_ = next_ + blocks_[block_].size;
        return;
      }
    }
    std::size_t size = blocks_.empty() ? kFirstBlock : blocks_.back().size * 2;
    if (size > kLargestBlock) size = kLargestBlock;
    if (expected_ > size) size = expected_ < kLargestBlock ? expected_ : kLargestBlock;
    if (size < atLeast) size = atLeast;
    expected_ = 0;
    blocks_.push_back(Block{std::unique_ptr<char[]>(new char[size]), size});
    block_ = blocks_.size() - 1;
    next_ = blocks_[block_].data.get();
    end_ = next_ + size;
  }

  void DestroyTerms();

  static constexpr std::size_t kFirstBlock = 8 * 1024;
  static constexpr std::size_t kLargestBlock = 1024 * 1024;

  int refs_ = 0;
  std::vector<Block> blocks_;
  std::size_t block_ = 0;  // the block `next_` points into
  char* next_ = nullptr;
  char* end_ = nullptr;
  std::size_t expected_ = 0;
  std::vector<TTerm*> terms_;  // plain terms to destroy at a reset
};

}  // namespace ambrix
