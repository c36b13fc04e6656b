// Placeholder until the Win32 progress window lands: operations run under
// the headless view.
#include "platform/HeadlessProgressView.h"

namespace kanvio::platform {

std::unique_ptr<ProgressView> CreateProgressView() {
  return std::make_unique<HeadlessProgressView>(HeadlessProgressView::SinkFromEnvironment());
}

}  // namespace kanvio::platform
