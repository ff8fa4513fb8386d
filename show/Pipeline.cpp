#include "show/Pipeline.h"

#include <algorithm>
#include <deque>
#include <system_error>
#include <thread>

namespace pictavo {

bool MemoryBudget::Take(uint64_t bytes) noexcept {
  bytes = std::min(bytes, capacity_);
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return closed_ || held_ + bytes <= capacity_; });
  if (closed_) return false;
  held_ += bytes;
  peak_ = std::max(peak_, held_);
  return true;
}

void MemoryBudget::Give(uint64_t bytes) noexcept {
  bytes = std::min(bytes, capacity_);
  {
    std::lock_guard lock(mutex_);
    held_ -= std::min(held_, bytes);
  }
  freed_.notify_all();
}

void MemoryBudget::Close() noexcept {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  freed_.notify_all();
}

uint64_t MemoryBudget::Peak() const {
  std::lock_guard lock(mutex_);
  return peak_;
}

struct WorkerPool::State {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::function<void()>> queue;
  int maxThreads = 1;
  int threads = 0;
  int idle = 0;
  bool closed = false;
};

WorkerPool::WorkerPool(int maxThreads) : state_(std::make_shared<State>()) {
  state_->maxThreads = std::max(1, maxThreads);
}

bool WorkerPool::Submit(std::function<void()> work) {
  std::lock_guard lock(state_->mutex);
  if (state_->closed) return false;
  state_->queue.push_back(std::move(work));
  if (static_cast<int>(state_->queue.size()) > state_->idle && state_->threads < state_->maxThreads) {
    try {
      std::thread(&WorkerPool::Work, state_).detach();
      ++state_->threads;
    } catch (const std::system_error&) {
      if (state_->threads == 0) {
        state_->queue.pop_back();
        return false;
      }
    }
  }
  state_->wake.notify_one();
  return true;
}

void WorkerPool::Close() {
  std::deque<std::function<void()>> dropped;  // destroyed outside the lock
  {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
    dropped.swap(state_->queue);
  }
  state_->wake.notify_all();
}

void WorkerPool::Work(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    ++state->idle;
    state->wake.wait(lock, [&] { return state->closed || !state->queue.empty(); });
    --state->idle;
    if (state->queue.empty()) break;
    std::function<void()> work = std::move(state->queue.front());
    state->queue.pop_front();
    lock.unlock();
    try {
      work();
    } catch (...) {
      // The work turns its own failures into results; nothing it throws may end the process.
    }
    work = nullptr;
    lock.lock();
  }
  --state->threads;
}

bool PictureRequests::Arrived(const std::string& monitor, uint64_t ticket) {
  const auto found = pending_.find(monitor);
  if (found == pending_.end() || found->second != ticket) return false;
  pending_.erase(found);
  return true;
}

}  // namespace pictavo
