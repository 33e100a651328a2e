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
/// while it waits in Take. Every member is called from the operation's
/// thread; the destructor cancels what is still queued and joins.
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
};

}  // namespace ambrix
