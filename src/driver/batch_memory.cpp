#include "driver/batch_memory.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace ambrix {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;

// The "MemAvailable" line of /proc/meminfo, in bytes.
std::uint64_t SystemAvailable() {
  std::ifstream in("/proc/meminfo");
  std::string key;
  std::uint64_t value = 0;
  std::string unit;
  while (in >> key >> value) {
    std::getline(in, unit);
    if (key == "MemAvailable:") return value * 1024;
  }
  return kUnknown;
}

// A number read from a control-group file; kUnknown for "max" or no file.
std::uint64_t CgroupValue(const std::string& path) {
  std::ifstream in(path);
  std::string text;
  if (!(in >> text) || text == "max") return kUnknown;
  try {
    return std::stoull(text);
  } catch (...) {
    return kUnknown;
  }
}

// What the process's control group (version 2) still allows.
std::uint64_t CgroupAvailable() {
  std::ifstream self("/proc/self/cgroup");
  std::string line;
  while (std::getline(self, line)) {
    // "0::/path" is the line of the unified hierarchy.
    if (line.rfind("0::", 0) != 0) continue;
    const std::string dir = "/sys/fs/cgroup" + line.substr(3);
    const std::uint64_t limit = CgroupValue(dir + "/memory.max");
    if (limit == kUnknown) return kUnknown;
    const std::uint64_t used = CgroupValue(dir + "/memory.current");
    if (used == kUnknown) return limit;
    return limit > used ? limit - used : 0;
  }
  return kUnknown;
}

// What the address-space limit leaves beside what the process maps now.
std::uint64_t AddressSpaceAvailable() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnknown;
  std::ifstream status("/proc/self/status");
  std::uint64_t mapped = 0;
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmSize:", 0) != 0) continue;
    std::istringstream(line.substr(7)) >> mapped;
    mapped *= 1024;
    break;
  }
  const std::uint64_t cap = static_cast<std::uint64_t>(limit.rlim_cur);
  return cap > mapped ? cap - mapped : 0;
}

std::uint64_t EnvironmentLimit() {
  const char* text = std::getenv("AMBRIX_MEMORY_LIMIT_MB");
  if (text == nullptr || *text == '\0') return kUnknown;
  char* end = nullptr;
  const unsigned long long megabytes = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') return kUnknown;
  return static_cast<std::uint64_t>(megabytes) * kMegabyte;
}

}  // namespace

std::uint64_t TBatchMemory::Available() {
  return std::min({SystemAvailable(), CgroupAvailable(), AddressSpaceAvailable(), EnvironmentLimit()});
}

std::string TBatchMemory::Refusal(std::uint64_t bytes, std::uint64_t available) {
  const std::uint64_t cost = Cost(bytes);
  if (cost <= available) return {};
  const auto megabytes = [](std::uint64_t n) { return std::to_string((n + kMegabyte - 1) / kMegabyte); };
  return "Пакет слишком велик для доступной памяти: его размер " + megabytes(bytes) +
         " МБ, для его чтения нужно около " + megabytes(cost) + " МБ, доступно " + megabytes(available) + " МБ";
}

bool TBatchSize::Take(std::uint64_t bytes) {
  bytes_ += bytes;
  if (refused_) return false;
  if (bytes_ < nextCheck_) return true;
  // Checked at every few megabytes of a growing batch, not at every line.
  nextCheck_ = bytes_ + TBatchMemory::kLargeBatch;
  const std::uint64_t available = TBatchMemory::Available();
  if (TBatchMemory::Cost(bytes_) <= available) return true;
  refused_ = true;
  availableWhenRefused_ = available;
  return false;
}

void TBatchSize::Keep(std::string_view line, int lineNumber, std::vector<std::string>& lines,
                      std::vector<int>& lineNumbers, int& firstLine) {
  if (bytes_ == 0) firstLine = lineNumber;
  if (Take(line.size())) {
    lines.emplace_back(line);
    lineNumbers.push_back(lineNumber);
  } else if (!lines.empty()) {
    // The batch cannot fit: what was kept of it goes.
    std::vector<std::string>().swap(lines);
    std::vector<int>().swap(lineNumbers);
  }
}

std::string TBatchSize::Check() {
  if (refused_) return TBatchMemory::Refusal(bytes_, availableWhenRefused_);
  if (!TBatchMemory::IsLarge(bytes_)) return {};
  return TBatchMemory::Refusal(bytes_, TBatchMemory::Available());
}

void TBatchSize::Reset() { *this = TBatchSize(); }

}  // namespace ambrix
