// The sign-in dialog runs on a thread of its own, in a single-threaded
// apartment as the WebBrowser control needs; the calling thread waits for it
// and meanwhile asks the probe whether the sign-in is complete, which closes
// the dialog. After the bound the dialog closes without a result.
#include "platform/BrowserSignIn.h"

#include <windows.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/win32/SignInDialog.h"

namespace kanvio::platform {
namespace {

class DialogSignIn final : public BrowserSignIn {
 public:
  SignInOutcome Run(const SignInPage& page, const SignInProbe& probe) override {
    Shared shared;
    std::thread dialog_thread([&] { ShowDialog(page, shared); });
    Clock& clock = CurrentClock();
    const UtcTime deadline = clock.NowUtc() + kSignInBound;
    bool ending = false;
    for (;;) {
      std::unique_lock lock(shared.mutex);
      if (shared.changed.wait_for(lock, kSignInPollInterval, [&] { return shared.ended; })) break;
      const HWND window = shared.window;
      lock.unlock();
      if (ending || window == nullptr) continue;
      if (clock.NowUtc() >= deadline) {
        ending = PostMessageW(window, SignInDialog::kGiveUp, 0, 0) != 0;
      } else if (probe && probe()) {
        ending = PostMessageW(window, SignInDialog::kSignedIn, 0, 0) != 0;
      }
    }
    dialog_thread.join();
    if (shared.failure) std::rethrow_exception(shared.failure);
    return shared.outcome;
  }

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    // State below is protected by mutex.
    HWND window = nullptr;
    bool ended = false;
    SignInOutcome outcome = SignInOutcome::kNoResult;
    std::exception_ptr failure;
  };

  static void ShowDialog(const SignInPage& page, Shared& shared) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SignInOutcome outcome = SignInOutcome::kNoResult;
    std::exception_ptr failure;
    try {
      SignInDialog dialog(page);
      {
        std::lock_guard lock(shared.mutex);
        shared.window = dialog.handle();
      }
      outcome = dialog.RunModal();
    } catch (...) {
      failure = std::current_exception();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    std::lock_guard lock(shared.mutex);
    shared.window = nullptr;
    shared.ended = true;
    shared.outcome = outcome;
    shared.failure = failure;
    shared.changed.notify_all();
  }
};

}  // namespace

std::unique_ptr<BrowserSignIn> CreateSystemBrowserSignIn() { return std::make_unique<DialogSignIn>(); }

}  // namespace kanvio::platform
