#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambrix {

/// What reading one batch of a script may take of the machine's memory.
/// Parsing a batch and converting its objects holds the batch many times
/// over (its words, the parse tree, the editable text, the printed lines):
/// a large batch is read only when the memory the process may still take
/// can hold that, and alone, never next to other batches in flight.
class TBatchMemory {
 public:
  /// Peak memory of reading a batch, per byte of its text (measured on a
  /// large procedure, the costliest kind of batch, with some room).
  static constexpr std::uint64_t kCostPerByte = 128;
  /// A batch from this size on is read alone.
  static constexpr std::uint64_t kLargeBatch = std::uint64_t{4} << 20;

  /// Bytes of memory the process may still take: the least of what the
  /// system has available, what the process's control group still allows
  /// and what its address-space limit leaves, and of the limit the
  /// environment variable AMBRIX_MEMORY_LIMIT_MB sets (a whole number of
  /// megabytes, for a run that must stay within less than the machine has).
  /// UINT64_MAX when none of them is known.
  static std::uint64_t Available();

  /// The estimated peak of reading a batch of `bytes`.
  static std::uint64_t Cost(std::uint64_t bytes) { return bytes * kCostPerByte; }
  static bool IsLarge(std::uint64_t bytes) { return bytes >= kLargeBatch; }

  /// Empty when a batch of `bytes` fits in `available`; otherwise the reason
  /// it is refused, as the run reports it.
  static std::string Refusal(std::uint64_t bytes, std::uint64_t available);
};

/// The size of the batch being read, line by line. Once it is clear that the
/// batch cannot fit, its lines need not be kept: the rest of it is only
/// counted, up to its end, where it is refused.
class TBatchSize {
 public:
  /// Counts a line of `bytes`. False when the batch is refused: the caller
  /// drops the lines it kept and keeps no more of this batch.
  bool Take(std::uint64_t bytes);
  /// Adds the batch line `line` (number `lineNumber` of the script) to
  /// `lines` and `lineNumbers`, the first one also setting `firstLine`, as
  /// long as the batch is not refused; once it is, what they hold goes.
  void Keep(std::string_view line, int lineNumber, std::vector<std::string>& lines, std::vector<int>& lineNumbers,
            int& firstLine);
  std::uint64_t Bytes() const { return bytes_; }
  bool Refused() const { return refused_; }
  /// At the batch's end: empty when it may be read, otherwise why it is
  /// refused. A large batch is checked against the memory available now
  /// (the caller lets the batches in flight finish first).
  std::string Check();
  void Reset();

 private:
  std::uint64_t bytes_ = 0;
  std::uint64_t nextCheck_ = TBatchMemory::kLargeBatch;
  bool refused_ = false;
  std::uint64_t availableWhenRefused_ = 0;
};

}  // namespace ambrix
