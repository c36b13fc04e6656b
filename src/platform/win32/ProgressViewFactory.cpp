#include "platform/win32/Win32ProgressView.h"

namespace kanvio::platform {

std::unique_ptr<ProgressView> CreateProgressView() {
  return std::make_unique<Win32ProgressView>(HeadlessProgressView::SinkFromEnvironment());
}

}  // namespace kanvio::platform
