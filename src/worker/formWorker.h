#pragma once
// The progress window that runs one connector operation per showing. The
// thread that shows it runs the window's modal loop; the operation runs on a
// background task that reaches the window only through posted actions.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/ProgressView.h"
#include "shops/IShop.h"
#include "shops/IWorker.h"

namespace kanvio {

class formWorker : public IWorker {
 public:
  // Waits on the background task; the real one sleeps.
  using Pause = std::function<void(std::chrono::milliseconds)>;
  // Starts the background task of a showing; throws when the system refuses.
  using TaskStart = std::function<std::thread(std::function<void()> task)>;

  static constexpr std::chrono::milliseconds kPause{1500};
  static constexpr std::int32_t kOpenOrdersSentinel = -10;

  // The window of this platform; the pause is kPause unless
  // KANVIO_WORKER_PAUSE_MS names another number of milliseconds.
  explicit formWorker(bool visible);
  // For tests and tools: a given view and pause function.
  formWorker(bool visible, std::unique_ptr<platform::ProgressView> view, Pause pause);
  ~formWorker() override;
  formWorker(const formWorker&) = delete;
  formWorker& operator=(const formWorker&) = delete;

  // Creates the connector for shopName (nullptr when the factory does not
  // know it) and stores the connection data. The worker owns the connector.
  // Throws Error when the data cannot be stored; the worker then has none.
  IShop* InitShop(const std::string& erp, const std::string& shopName, const std::string& shopUrl,
                  const std::string& user, const std::string& pwd);
  IShop* shop() const { return shop_.get(); }
  void DropShop() { shop_.reset(); }

  // Runs the operation named in the settings store (WEBSERVICE_METHODE) on a
  // background task and returns once the window has closed and the task has
  // ended. A failure of the operation is logged; the window closes all the same.
  // False when the task could not be started: the operation did not run, the
  // failure is logged and getError() says so.
  bool ShowDialog();

  void setUserStatusMessage(const std::string& msg, std::int32_t value) override;
  void SetMaxValue(std::int32_t value) override;

  // The error text of the last operation (read after ShowDialog returned).
  const std::string& getError() const { return fehlerMeldung_; }
  // The count of the last FIND_ORDERS operation, otherwise kOpenOrdersSentinel.
  std::int32_t getOpenOrders() const { return openOrders_; }

  static std::chrono::milliseconds PauseFromEnvironment();

  // For tests: every showing from now on starts its task with start, until
  // the object goes. Not while a worker shows.
  class ScopedTaskStart {
   public:
    explicit ScopedTaskStart(TaskStart start);
    ~ScopedTaskStart();
    ScopedTaskStart(const ScopedTaskStart&) = delete;
    ScopedTaskStart& operator=(const ScopedTaskStart&) = delete;

   private:
    TaskStart previous_;
  };

 private:
  void runMethod();
  void RunOperation(const std::string& methode, const std::string& input_file);
  void ShowMessage(const std::string& msg) { setUserStatusMessage(msg, -1); }
  void Wait() { pause_(pause_length_); }
  void WarnArticlesMayMiss();
  bool StartTask();
  void closeForm();
  void LogMissingWindow();
  // Queues action on the window's thread; a failure inside it is logged there.
  void Post(std::function<void()> action);

  const bool isVisable_;
  const std::unique_ptr<platform::ProgressView> view_;
  const Pause pause_;
  const std::chrono::milliseconds pause_length_;
  std::unique_ptr<IShop> shop_;
  std::thread task_;

  // Written by the task, read by the showing thread after the task has ended.
  std::string fehlerMeldung_;
  std::int32_t openOrders_ = kOpenOrdersSentinel;

  // Touched on the window's thread only. Each showing starts with the bar of
  // a fresh window, whatever an earlier operation set.
  static constexpr std::int32_t kInitialMaximum = 101;
  std::int32_t maximum_ = kInitialMaximum;
  bool missing_window_logged_ = false;
};

}  // namespace kanvio
