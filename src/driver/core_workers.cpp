#include "driver/core_workers.h"

#include <algorithm>

#include "text/error.h"

namespace ambrix {

TCoreWorkers::TCoreWorkers(int workerCount, std::function<void(TConvertCore&)> setup, IObjectSourceLookup& sources)
    : setup_(std::move(setup)), sources_(sources) {
  workerCount = std::max(workerCount, 1);
  threads_.reserve(static_cast<std::size_t>(workerCount));
  try {
    for (int i = 0; i < workerCount; ++i) threads_.emplace_back([this] { WorkerLoop(); });
  } catch (...) {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    workAvailable_.notify_all();
    for (auto& thread : threads_) thread.join();
    throw;
  }
}

TCoreWorkers::~TCoreWorkers() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    queued_.clear();
  }
  workAvailable_.notify_all();
  answered_.notify_all();
  for (auto& thread : threads_) thread.join();
}

int TCoreWorkers::DefaultCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 16u));
}

void TCoreWorkers::Submit(std::unique_ptr<TCoreJob> job) {
  {
    std::lock_guard lock(mutex_);
    queued_.push_back(job.get());
    inOrder_.push_back(std::move(job));
  }
  workAvailable_.notify_one();
}

std::unique_ptr<TCoreJob> TCoreWorkers::Take() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (inOrder_.front()->done_) break;
    if (!requests_.empty()) {
      Request* request = requests_.front();
      requests_.pop_front();
      lock.unlock();
      Answer(*request);
      lock.lock();
      request->answered = true;
      answered_.notify_all();
      continue;
    }
    if (!queued_.empty()) {
      TCoreJob* job = queued_.front();
      queued_.pop_front();
      lock.unlock();
      RunHere(*job);
      lock.lock();
      job->done_ = true;
      continue;
    }
    progress_.wait(lock, [&] { return inOrder_.front()->done_ || !requests_.empty(); });
  }
  std::unique_ptr<TCoreJob> job = std::move(inOrder_.front());
  inOrder_.pop_front();
  return job;
}

// Runs on the operation's thread, outside the lock: the look-up reads the
// repository.
void TCoreWorkers::Answer(Request& request) {
  try {
    request.lines = sources_.OpenObjectSource(request.name);
  } catch (...) {
    request.failure = std::current_exception();
  }
}

void TCoreWorkers::RunHere(TCoreJob& job) {
  if (!own_ && !ownSetupFailure_) {
    auto core = std::make_unique<TConvertCore>();
    try {
      setup_(*core);
      core->Context.Sources = &sources_;
      own_ = std::move(core);
    } catch (...) {
      ownSetupFailure_ = std::current_exception();
    }
  }
  if (ownSetupFailure_) {
    job.Failure = ownSetupFailure_;
    return;
  }
  try {
    job.Run(*own_);
  } catch (...) {
    job.Failure = std::current_exception();
  }
}

std::vector<std::string> TCoreWorkers::SourceProxy::OpenObjectSource(const std::string& objectName) {
  Request request;
  request.name = objectName;
  std::unique_lock lock(owner_.mutex_);
  if (owner_.stop_) throw Error("Операция прервана");
  owner_.requests_.push_back(&request);
  owner_.progress_.notify_all();
  owner_.answered_.wait(lock, [&] { return request.answered || owner_.stop_; });
  if (!request.answered) {
    // The operation ended without answering: the request must not outlive
    // this frame in the queue.
    auto& requests = owner_.requests_;
    requests.erase(std::remove(requests.begin(), requests.end(), &request), requests.end());
    throw Error("Операция прервана");
  }
  if (request.failure) std::rethrow_exception(request.failure);
  return std::move(request.lines);
}

void TCoreWorkers::WorkerLoop() {
  TConvertCore core;
  std::exception_ptr setupFailure;
  try {
    setup_(core);
    core.Context.Sources = &proxy_;
  } catch (...) {
    setupFailure = std::current_exception();
  }
  std::unique_lock lock(mutex_);
  for (;;) {
    workAvailable_.wait(lock, [&] { return stop_ || !queued_.empty(); });
    if (stop_) break;
    TCoreJob* job = queued_.front();
    queued_.pop_front();
    lock.unlock();
    if (setupFailure) {
      job->Failure = setupFailure;
    } else {
      try {
        job->Run(core);
      } catch (...) {
        job->Failure = std::current_exception();
      }
    }
    lock.lock();
    job->done_ = true;
    progress_.notify_all();
  }
}

}  // namespace ambrix
