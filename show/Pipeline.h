// How the show reads and decodes its pictures off the thread that owns its window: worker threads that
// nothing waits for, the working memory their decodes share, and which monitor waits for which picture.
// Plain C++: the work itself is handed in.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "pictures/WorkingMemory.h"

namespace pictavo {

// The working memory of the decodes that run at the same time, at most `capacity` bytes together. A decode
// that asks for more than is free waits until others give theirs back; one alone may take up to the whole
// capacity (larger asks count as the capacity). A decode asks once.
class MemoryBudget final : public WorkingMemory {
 public:
  explicit MemoryBudget(uint64_t capacity) : capacity_(capacity) {}
  bool Take(uint64_t bytes) noexcept override;
  void Give(uint64_t bytes) noexcept override;
  // Waiting and later asks answer false: the decodes give up.
  void Close() noexcept;
  uint64_t Peak() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable freed_;
  const uint64_t capacity_;
  uint64_t held_ = 0;
  uint64_t peak_ = 0;
  bool closed_ = false;
};

// Runs work on at most `maxThreads` threads, started as work arrives and kept until Close. Nothing waits
// for them: Close drops the work not yet begun and returns at once; work under way runs to its end on a
// thread that holds the pool's state, not the pool. What a piece of work throws ends that piece alone.
class WorkerPool {
 public:
  explicit WorkerPool(int maxThreads);
  ~WorkerPool() { Close(); }
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // False (the work dropped) once closed, or when no thread runs and none can be started.
  bool Submit(std::function<void()> work);
  void Close();

 private:
  struct State;
  static void Work(const std::shared_ptr<State>& state);
  std::shared_ptr<State> state_;
};

// Which monitor (known by its device name) waits for which picture. Each request has a ticket; a result
// is put up only while its ticket is the one its monitor waits for: a later request for the monitor, or
// the monitor going, makes it stale.
class PictureRequests {
 public:
  uint64_t Request(const std::string& monitor) { return pending_[monitor] = ++last_; }
  // True when the result is wanted; the monitor then waits for nothing.
  bool Arrived(const std::string& monitor, uint64_t ticket);
  void Forget(const std::string& monitor) { pending_.erase(monitor); }
  bool Waiting(const std::string& monitor) const { return pending_.count(monitor) > 0; }
  // A picture is still coming. The next change starts only when none is: a change due meanwhile is skipped,
  // so no change is joined by another and a monitor whose read stalls keeps its place in the order.
  bool Waiting() const { return !pending_.empty(); }

 private:
  std::map<std::string, uint64_t> pending_;
  uint64_t last_ = 0;
};

}  // namespace pictavo
