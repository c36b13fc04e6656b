// An Amazon seller account through the C interface and through kanvio,
// against the simulated marketplace on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "AmazonTestSupport.h"
#include "E2eSupport.h"
#include "ShopSimulator.h"

namespace kanvio::test {
namespace {

using tool::Answer;

class AmazonE2eTest : public E2eTest {
 protected:
  AmazonE2eTest() {
    marketplace_.Start();
    deployment_.emplace(dir_.path(), marketplace_.ShopUrl() + "/mws");
  }

  std::filesystem::path ReportFolder() const { return host_.ProgramData() / "Webshop/ImportFiles/Amazon"; }

  shopsim::ShopSimulator marketplace_{
      {.port = 0, .base_path = "/shop", .password = "", .state_file = {}, .demo_data = true}};
  std::optional<MwsDeployment> deployment_;
  ScopedEnv waits_{"KANVIO_MARKETPLACE_WAIT_MS", "0"};
};

TEST_F(AmazonE2eTest, SchedulesReportsAndOrdersThroughTheExports) {
  const auto& library = RealLibrary();
  const Answer init = library.InitAmazon("ledgrox", "A1SHOPSIM", "de", "01.01.2026 00:00:00", "");
  EXPECT_EQ(init.code, 1);
  EXPECT_EQ(init.text, "");
  for (const char* name : {"ManageReportSchedule", "ManageReportScheduleFBA"}) {
    const Answer schedule = library.Call(name);
    EXPECT_EQ(schedule.code, 1) << name;
    EXPECT_EQ(schedule.text, "") << name;
  }
  EXPECT_EQ(marketplace_.Marketplace().Schedules().size(), 2u);

  const Answer reports = library.GetReports();
  EXPECT_EQ(reports.code, 1);
  EXPECT_EQ(reports.text, "");
  const auto orders = dir_ / "Bestellungen.xml";
  const Answer get = library.Call("GetOrders", orders.string());
  EXPECT_EQ(get.code, 1);
  EXPECT_EQ(get.text, "");
  EXPECT_EQ(Occurrences(ReadFile(orders), "<Bestellvorgang>"), 6u);
  EXPECT_TRUE(std::filesystem::is_empty(ReportFolder()));
  const std::string status = ReadFile(dir_ / "status.log");
  for (const char* line :
       {"Erzeugung von Bestellberichten aktiviert...", "Amazon Bestellberichte abgeholt...",
        "6 Bestellung(en) abgeholt ...", "Neue Bestellungen abgeholt..."})
    EXPECT_NE(status.find(line), std::string::npos) << line << "\n" << status;
}

TEST_F(AmazonE2eTest, AFailureReachesTheHostAsText) {
  ASSERT_EQ(RealLibrary().InitAmazon("ledgrox", "A1SHOPSIM", "", "", "").code, 1);
  marketplace_.Failures().Set("mws", shopsim::Failure::Status500("kaputt"));
  const Answer reports = RealLibrary().GetReports();
  EXPECT_EQ(reports.code, 1);
  EXPECT_NE(reports.text, "");
  // Nothing was downloaded, so the import finds nothing and says so plainly.
  const Answer get = RealLibrary().Call("GetOrders", (dir_ / "Bestellungen.xml").string());
  EXPECT_EQ(get.code, 1);
  EXPECT_EQ(get.text, "");
}

TEST_F(AmazonE2eTest, InitAmazonAfterAWebShopTakesOverTheConnection) {
  ASSERT_EQ(RealLibrary().Init("ledgrox", "Gambio GX", marketplace_.ShopUrl(), "admin", "x").code, 1);
  ASSERT_EQ(RealLibrary().InitAmazon("ledgrox", "A1SHOPSIM", "de", "01.01.2026", "").code, 1);
  EXPECT_EQ(RealLibrary().Call("ManageReportSchedule").code, 1);
  EXPECT_EQ(marketplace_.RequestCount("mws:ManageReportSchedule"), 1u);
  const Answer count = RealLibrary().Call("GetUnimportedOrdersCount");
  EXPECT_EQ(count.text, "Diese Funktion wird von Amazon derzeitig nicht untersützt.");
}

TEST_F(AmazonE2eTest, KanvioRunsAnAmazonSession) {
  const auto out = dir_ / "out.txt";
  const std::string command =
      KANVIO_BIN_DIR
      "/kanvio --amazon A1SHOPSIM --language de --date '01.01.2026 00:00:00' --pause-ms 0 manage-reports "
      "manage-fba-reports get-reports get-orders " +
      (dir_ / "orders.xml").string() + " >" + out.string() + " 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  for (const char* line : {"InitAmazon = 1\n", "ManageReportSchedule = 1\n", "ManageReportScheduleFBA = 1\n",
                           "GetReports = 1\n", "GetOrders = 1\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << output;
  EXPECT_EQ(Occurrences(ReadFile(dir_ / "orders.xml"), "<Bestellvorgang>"), 6u);
}

}  // namespace
}  // namespace kanvio::test
