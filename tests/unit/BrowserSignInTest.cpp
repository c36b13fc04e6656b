// The sign-in without a window of our own: it hands the address to the
// desktop's opener and waits, bounded, for the sign-in to complete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FakeClock.h"
#include "TestSupport.h"
#include "platform/BrowserSignIn.h"

namespace kanvio::platform {
namespace {

using std::chrono::milliseconds;

SignInPage Page(const std::string& url) {
  return {url, false, "eBay-Identifikation", "Adresse: ", "Fertig", "userid", "haendler", "Done"};
}

class BrowserSignInTest : public ::testing::Test {
 protected:
  test::FakeClock clock_;
  test::ScopedEnv opener_{"KANVIO_BROWSER_OPENER", ""};
  std::unique_ptr<BrowserSignIn> sign_in_ = CreateSystemBrowserSignIn();
};

TEST_F(BrowserSignInTest, EndsWhenTheProbeSeesTheSignIn) {
  int polls = 0;
  EXPECT_EQ(sign_in_->Run(Page("https://signin.example/x"), [&] { return ++polls == 3; }),
            SignInOutcome::kClosed);
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(clock_.sleeps, (std::vector<milliseconds>{kSignInPollInterval, kSignInPollInterval}));
}

TEST_F(BrowserSignInTest, GivesUpAfterTenMinutesWithoutAnAnswer) {
  const UtcTime start = clock_.NowUtc();
  int polls = 0;
  EXPECT_EQ(sign_in_->Run(Page("https://signin.example/x"), [&] { return ++polls < 0; }),
            SignInOutcome::kNoResult);
  EXPECT_EQ(clock_.NowUtc() - start, kSignInBound);
  EXPECT_EQ(polls, int(kSignInBound / kSignInPollInterval) + 1);
}

TEST_F(BrowserSignInTest, HandsTheAddressToTheOpener) {
  test::TempDir dir;
  const auto fifo = dir / "opened";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Read and write end in one: the opener's write never blocks, and the wait
  // below ends with its data, not with its closing.
  const int reader = open(fifo.c_str(), O_RDWR);
  ASSERT_GE(reader, 0);
  test::WriteFile(dir / "opener.sh", "#!/bin/sh\nprintf '%s' \"$1\" > '" + fifo.string() + "'\n");
  ASSERT_EQ(chmod((dir / "opener.sh").c_str(), 0700), 0);
  test::ScopedEnv opener("KANVIO_BROWSER_OPENER", (dir / "opener.sh").string());

  const std::string url = "https://signin.example/ws/eBayISAPI.dll?SignIn&runame=R&SessID=a%2Bb";
  EXPECT_EQ(sign_in_->Run(Page(url), [] { return true; }), SignInOutcome::kClosed);
  pollfd ready{reader, POLLIN, 0};
  ASSERT_EQ(poll(&ready, 1, 30'000), 1) << "the opener did not run";
  char buffer[256] = {};
  const ssize_t length = read(reader, buffer, sizeof buffer - 1);
  close(reader);
  EXPECT_EQ(std::string(buffer, length > 0 ? std::size_t(length) : 0), url);
}

}  // namespace
}  // namespace kanvio::platform
