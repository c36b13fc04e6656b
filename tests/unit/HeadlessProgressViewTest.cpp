#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "platform/HeadlessProgressView.h"

namespace kanvio::test {
namespace {

using platform::HeadlessProgressView;

// Runs one showing in which the actions are the given view calls, then close.
void ShowOnce(HeadlessProgressView& view, bool visible) {
  std::thread task([&view] {
    view.Post([&view] { view.SetStatusText("Hole Bestellungen..."); });
    view.Post([&view] { view.SetProgressMaximum(200); });
    view.Post([&view] { view.SetProgressValue(17); });
    view.Post([&view] { view.Close(); });
  });
  view.RunModal(visible, {});
  task.join();
}

TEST(HeadlessProgressViewTest, VisibleViewWritesWhatAWindowWouldShow) {
  std::vector<std::string> lines;
  HeadlessProgressView view([&lines](const std::string& line) { lines.push_back(line); });
  ShowOnce(view, true);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"status: Hole Bestellungen...", "maximum: 200", "progress: 17"}));
}

TEST(HeadlessProgressViewTest, HiddenViewWritesNothing) {
  std::vector<std::string> lines;
  HeadlessProgressView view([&lines](const std::string& line) { lines.push_back(line); });
  ShowOnce(view, false);
  EXPECT_TRUE(lines.empty());
}

TEST(HeadlessProgressViewTest, StatusLogNamedByEnvironmentIsAppendedTo) {
  TempDir dir;
  const auto log = dir / "status.log";
  WriteFile(log, "vorher\n");
  {
    ScopedEnv env("KANVIO_STATUS_LOG", log.string());
    HeadlessProgressView view(HeadlessProgressView::SinkFromEnvironment());
    ShowOnce(view, true);
  }
  EXPECT_EQ(ReadFile(log), "vorher\nstatus: Hole Bestellungen...\nmaximum: 200\nprogress: 17\n");
}

TEST(HeadlessProgressViewTest, NoSinkWithoutUsableStatusLog) {
  TempDir dir;
  const std::optional<std::string> targets[] = {std::nullopt, "", (dir / "fehlt" / "status.log").string()};
  for (const auto& target : targets) {
    ScopedEnv env("KANVIO_STATUS_LOG", target);
    EXPECT_FALSE(HeadlessProgressView::SinkFromEnvironment()) << target.value_or("(unset)");
  }
}

}  // namespace
}  // namespace kanvio::test
