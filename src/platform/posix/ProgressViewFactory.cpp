#include "platform/HeadlessProgressView.h"

namespace kanvio::platform {

std::unique_ptr<ProgressView> CreateProgressView() {
  return std::make_unique<HeadlessProgressView>(HeadlessProgressView::SinkFromEnvironment());
}

}  // namespace kanvio::platform
