#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "conversion/convert_core.h"

namespace ambrix {

/// A piece of the CPU work of a project operation (parsing and recognising a
/// batch, parsing and converting an object), done on a worker thread with
/// the worker's own converter core. The repository is never touched there:
/// the operation's own thread hands the pieces out and takes them back in the
/// same order, replays their log lines and does the repository work itself,
/// so the run reads, logs and stores exactly as a run on one thread does.
class TCoreJob {
 public:
  virtual ~TCoreJob() = default;
  /// Runs on a worker thread; throws on failure (kept in `Failure`).
  virtual void Run(TConvertCore& core) = 0;

  std::vector<std::string> Logs;  ///< log lines of the run, in order
  std::exception_ptr Failure;     ///< what Run threw; null when it succeeded

 private:
  friend class TCoreWorkers;
  bool done_ = false;
};

/// Worker threads, each with a converter core made by `setup` (on the worker
/// thread: the terms of the open dialect and the registries the jobs need).
/// The source look-up of the workers' cores (the bound-default form of a
/// default constraint) is answered by `sources` on the operation's thread,
/// while it waits in Take. Rather than wait idle for a job the workers have
/// not finished, the operation's thread runs the next job not yet started
/// itself, on a core of its own made by `setup` the first time: on a
/// machine with few cores the workers are what a run waits for. Every
/// member is called from the operation's thread; the destructor cancels
/// what is still queued and joins.
class TCoreWorkers {
 public:
  TCoreWorkers(int workerCount, std::function<void(TConvertCore&)> setup, IObjectSourceLookup& sources);
  ~TCoreWorkers();
  TCoreWorkers(const TCoreWorkers&) = delete;
  TCoreWorkers& operator=(const TCoreWorkers&) = delete;

  /// Queues a job; never waits.
  void Submit(std::unique_ptr<TCoreJob> job);
  /// Jobs submitted and not yet taken back.
  std::size_t InFlight() const { return inOrder_.size(); }
  /// Waits for the oldest job submitted and not taken back, and returns it.
  /// Must not be called when InFlight() is 0.
  std::unique_ptr<TCoreJob> Take();

  /// The number of workers worth starting on this machine (its cores).
  static int DefaultCount();

 private:
  // The look-up of the workers' cores: a request to the operation's thread.
  class SourceProxy : public IObjectSourceLookup {
   public:
    explicit SourceProxy(TCoreWorkers& owner) : owner_(owner) {}
    std::vector<std::string> OpenObjectSource(const std::string& objectName) override;

   private:
    TCoreWorkers& owner_;
  };
  struct Request {
    std::string name;
    std::vector<std::string> lines;
    std::exception_ptr failure;
    bool answered = false;
  };

  void WorkerLoop();
  void Answer(Request& request);
  // Runs `job` on the operation's thread, with its own core.
  void RunHere(TCoreJob& job);

  std::function<void(TConvertCore&)> setup_;
  IObjectSourceLookup& sources_;
  SourceProxy proxy_{*this};

  std::mutex mutex_;
  std::condition_variable workAvailable_;  ///< a job was queued, or stop
  std::condition_variable progress_;       ///< a job finished, or a request came
  std::condition_variable answered_;       ///< a request was answered, or stop
  std::deque<std::unique_ptr<TCoreJob>> inOrder_;  ///< submitted, not taken back
  std::deque<TCoreJob*> queued_;                   ///< not yet started
  std::deque<Request*> requests_;                  ///< look-ups waiting for an answer
  bool stop_ = false;
  std::vector<std::thread> threads_;
  // The operation thread's core for the jobs it runs itself; made on the
  // first one. Its look-up reads `sources` directly.
  std::unique_ptr<TConvertCore> own_;
  std::exception_ptr ownSetupFailure_;
};

/// A job of several small pieces of work run in turn on one worker: handing
/// each over on its own would cost more than doing it. `Item` has
/// `void Run(TConvertCore&)` and a `std::exception_ptr Failure`, in which
/// each item keeps what its run threw.
template <class Item>
class TItemsJob : public TCoreJob {
 public:
  std::vector<std::unique_ptr<Item>> Items;
  std::size_t Weight = 0;  ///< the size of the items' texts

  void Run(TConvertCore& core) override {
    for (auto& item : Items) {
      try {
        item->Run(core);
      } catch (...) {
        item->Failure = std::current_exception();
      }
    }
  }
};

/// Gathers items into jobs of about kJobWeight and hands them to `pool`;
/// while more than kJobsAhead jobs are out, the oldest is taken back and
/// given to `store`, with the job's own failure (its worker could not start)
/// passed on to each item. Finish hands out the rest and takes every job
/// back, in order.
template <class Item>
class TItemsFeeder {
 public:
  /// Jobs handed out ahead of the one being stored: enough to keep every
  /// worker busy, few enough that what is in flight costs little memory.
  static constexpr std::size_t kJobsAhead = 32;
  static constexpr std::size_t kJobWeight = 32 * 1024;

  TItemsFeeder(TCoreWorkers& pool, std::function<void(TItemsJob<Item>&)> store)
      : pool_(pool), store_(std::move(store)) {}

  void Add(std::unique_ptr<Item> item, std::size_t weight) {
    if (!gathering_) gathering_ = std::make_unique<TItemsJob<Item>>();
    gathering_->Weight += weight;
    gathering_->Items.push_back(std::move(item));
    if (gathering_->Weight >= kJobWeight) HandOut();
  }

  void Finish() {
    HandOut();
    while (pool_.InFlight() > 0) StoreOne();
  }

 private:
  void HandOut() {
    if (!gathering_) return;
    pool_.Submit(std::move(gathering_));
    while (pool_.InFlight() > kJobsAhead) StoreOne();
  }
  void StoreOne() {
    std::unique_ptr<TCoreJob> taken = pool_.Take();
    auto& job = static_cast<TItemsJob<Item>&>(*taken);
    if (job.Failure)
      for (auto& item : job.Items) item->Failure = job.Failure;
    store_(job);
  }

  TCoreWorkers& pool_;
  std::function<void(TItemsJob<Item>&)> store_;
  std::unique_ptr<TItemsJob<Item>> gathering_;
};

}  // namespace ambrix
