#pragma once
// Holds handlers of a fake server (a slow shop) until the test opens it.

#include <condition_variable>
#include <mutex>

namespace kanvio::test {

class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }

  void Wait() {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }

  // Opens the gate when it goes out of scope. Declared after the server whose
  // handlers wait, it releases them before the server stops, whatever the
  // test did in between.
  class OpenOnExit {
   public:
    explicit OpenOnExit(Gate& gate) : gate_(gate) {}
    ~OpenOnExit() { gate_.Open(); }
    OpenOnExit(const OpenOnExit&) = delete;
    OpenOnExit& operator=(const OpenOnExit&) = delete;

   private:
    Gate& gate_;
  };

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;  // guarded by mutex_
};

}  // namespace kanvio::test
