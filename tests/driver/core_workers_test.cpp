// The operation's thread runs a queued job itself instead of waiting idle for
// the workers, with a core of its own whose look-up needs no worker.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "driver/core_workers.h"
#include "text/error.h"

namespace ambrix {
namespace {

class ListedSources : public IObjectSourceLookup {
 public:
  std::vector<std::string> OpenObjectSource(const std::string& name) override {
    ++calls;
    return {"source of " + name};
  }
  int calls = 0;
};

// Where a job ran, and what the look-up of its core answered.
class RecordingJob : public TCoreJob {
 public:
  void Run(TConvertCore& core) override {
    ranOn = std::this_thread::get_id();
    if (lookUp) source = core.Context.Sources->OpenObjectSource("dflt");
  }
  bool lookUp = false;
  std::thread::id ranOn;
  std::vector<std::string> source;
};

// A job that holds its worker until `release` is called, so that the next
// job can only run if some other thread takes it. A guard ends the wait in
// case nothing ever does, rather than hang the run.
struct Gate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  void release() {
    std::lock_guard lock(mutex);
    open = true;
    opened.notify_all();
  }
  bool wait() {
    std::unique_lock lock(mutex);
    return opened.wait_for(lock, std::chrono::seconds(30), [&] { return open; });
  }
};

class GateJob : public TCoreJob {
 public:
  explicit GateJob(Gate& gate) : gate_(gate) {}
  void Run(TConvertCore&) override {
    ranOn = std::this_thread::get_id();
    started = true;
    released = gate_.wait();
  }
  // Waits until a worker is inside the job; false when none is within the
  // gate's 30 seconds (a pool that never runs it fails the test, not hangs).
  bool WaitStarted() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!started) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::yield();
    }
    return true;
  }
  std::thread::id ranOn;
  std::atomic<bool> started = false;
  bool released = false;

 private:
  Gate& gate_;
};

class ReleasingJob : public RecordingJob {
 public:
  explicit ReleasingJob(Gate& gate) : gate_(gate) {}
  void Run(TConvertCore& core) override {
    RecordingJob::Run(core);
    gate_.release();
  }

 private:
  Gate& gate_;
};

TEST(CoreWorkers, TheWaitingThreadRunsTheNextJobItselfWithADirectLookUp) {
  ListedSources sources;
  std::atomic<int> setups = 0;
  Gate gate;
  TCoreWorkers pool(1, [&](TConvertCore&) { ++setups; }, sources);

  auto held = std::make_unique<GateJob>(gate);
  GateJob* heldJob = held.get();
  pool.Submit(std::move(held));
  // The one worker must be inside the held job before the next is queued,
  // or it could take the next one first.
  ASSERT_TRUE(heldJob->WaitStarted()) << "no worker took the held job";
  auto next = std::make_unique<ReleasingJob>(gate);
  next->lookUp = true;
  pool.Submit(std::move(next));
  auto last = std::make_unique<RecordingJob>();
  pool.Submit(std::move(last));

  // Taking the held job back runs the next one here, which lets it finish.
  std::unique_ptr<TCoreJob> first = pool.Take();
  EXPECT_EQ(first.get(), heldJob);
  EXPECT_TRUE(heldJob->released);
  EXPECT_FALSE(first->Failure);
  EXPECT_NE(heldJob->ranOn, std::this_thread::get_id());

  auto second = pool.Take();
  auto& here = static_cast<ReleasingJob&>(*second);
  EXPECT_EQ(here.ranOn, std::this_thread::get_id());
  EXPECT_FALSE(here.Failure);
  // Answered by the sources on this thread, not through the workers' queue.
  EXPECT_EQ(here.source, std::vector<std::string>{"source of dflt"});
  EXPECT_EQ(sources.calls, 1);

  auto third = pool.Take();
  EXPECT_FALSE(third->Failure);
  EXPECT_NE(static_cast<RecordingJob&>(*third).ranOn, std::thread::id());
  EXPECT_EQ(pool.InFlight(), 0u);
  // The worker's core and the core of this thread, each made once.
  EXPECT_EQ(setups, 2);
}

TEST(CoreWorkers, AJobRunHereWhoseCoreCannotBeMadeFailsWithThatFailure) {
  ListedSources sources;
  Gate gate;
  const std::thread::id self = std::this_thread::get_id();
  // Only this thread's core fails to be made; making it lets the held job
  // end, so the run goes on whatever this thread does next.
  TCoreWorkers pool(
      1,
      [&](TConvertCore&) {
        if (std::this_thread::get_id() != self) return;
        gate.release();
        throw Error("no terms");
      },
      sources);

  auto held = std::make_unique<GateJob>(gate);
  GateJob* heldJob = held.get();
  pool.Submit(std::move(held));
  ASSERT_TRUE(heldJob->WaitStarted()) << "no worker took the held job";
  pool.Submit(std::make_unique<RecordingJob>());

  auto first = pool.Take();
  EXPECT_TRUE(heldJob->released);
  EXPECT_FALSE(first->Failure);
  auto second = pool.Take();
  // Not run, and failed with what making the core threw.
  EXPECT_EQ(static_cast<RecordingJob&>(*second).ranOn, std::thread::id());
  ASSERT_TRUE(second->Failure);
  try {
    std::rethrow_exception(second->Failure);
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "no terms");
  }
}

}  // namespace
}  // namespace ambrix
