#include "SlowAnswerGate.h"

namespace kanvio::shopsim {

void SlowAnswerGate::Wait(std::chrono::milliseconds delay) {
  std::unique_lock lock(mutex_);
  const auto generation = generation_;
  const auto released = [&] { return closed_ || generation_ != generation; };
  ++waiting_;
  changed_.notify_all();
  if (delay.count() > 0) {
    changed_.wait_for(lock, delay, released);
  } else {
    changed_.wait(lock, released);
  }
  // A release has already taken the answers it let go off the count.
  if (!released()) --waiting_;
}

void SlowAnswerGate::Release() {
  std::lock_guard lock(mutex_);
  ++generation_;
  waiting_ = 0;
  changed_.notify_all();
}

void SlowAnswerGate::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  waiting_ = 0;
  changed_.notify_all();
}

bool SlowAnswerGate::AwaitWaiting(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return waiting_ >= count; });
}

}  // namespace kanvio::shopsim
