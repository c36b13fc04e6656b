#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kanvio::shopsim {

// Holds slow answers back. Tests release them instead of waiting for a
// delay, so no test depends on the clock beyond its client's time-out.
class SlowAnswerGate {
 public:
  // Blocks until `delay` has passed (zero: no limit), Release() or Close().
  void Wait(std::chrono::milliseconds delay);
  // Lets every answer waiting now go on; later ones wait again.
  void Release();
  // Lets every answer go on, now and from now on.
  void Close();
  // True once `count` answers wait that no release has let go yet; false
  // when `timeout` passed first.
  bool AwaitWaiting(std::size_t count, std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  // State below is protected by mutex_.
  std::uint64_t generation_ = 0;
  std::size_t waiting_ = 0;  // held and not yet released
  bool closed_ = false;
};

}  // namespace kanvio::shopsim
