// A file is replaced whole or not at all: a write that fails half-way (here:
// the file size limit of the process) leaves the old content and no
// temporary file behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "TestSupport.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio {
namespace {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit saved_{};
  void (*previous_handler_)(int) = nullptr;
};

TEST(AtomicWriteTest, WriteFailingHalfWayKeepsTheOldContent) {
  test::TempDir dir;
  const auto target = dir.path() / "orders.xml";
  const std::string old_content = "<OrderNotification/>\r\n";
  test::WriteFile(target, old_content);
  {
    FileSizeLimit limit(64 * 1024);
    EXPECT_THROW(platform::WriteFileAtomically(target, std::string(1024 * 1024, 'x')), Error);
  }
  EXPECT_EQ(test::ReadFile(target), old_content);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace kanvio
