// Report schedules and downloads of the Amazon connector against the
// simulated marketplace.
#include <gtest/gtest.h>

#include "MwsLoopback.h"
#include "ShopTestSupport.h"
#include "shops/amazon/amazon.h"

namespace kanvio {
namespace {

using namespace std::chrono_literals;
using shopsim::Failure;

constexpr const char* kOrderReport = "_GET_ORDERS_DATA_";
constexpr const char* kShipmentReport = "_GET_AMAZON_FULFILLED_SHIPMENTS_DATA_";

class AmazonReportsTest : public ::testing::Test {
 protected:
  std::int32_t GetReports() {
    error_.clear();
    return shop_.HoleBerichteVonAmazon(error_);
  }
  std::vector<std::string> ReportFiles() const {
    std::vector<std::string> names;
    if (!std::filesystem::exists(loopback_.ReportFolder())) return names;
    for (const auto& entry : std::filesystem::directory_iterator(loopback_.ReportFolder()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The ids each request of `action` listed under `prefix`.
  std::vector<std::size_t> ListLengths(const std::string& action, const std::string& prefix) const {
    std::vector<std::size_t> lengths;
    for (const auto& request : loopback_.Requests(action)) {
      std::size_t n = 0;
      while (!request.Param(prefix + std::to_string(n + 1)).empty()) ++n;
      lengths.push_back(n);
    }
    return lengths;
  }

  test::MwsLoopback loopback_;
  test::RecordingWorker worker_;
  amazon shop_{worker_};
  std::string error_;
};

TEST_F(AmazonReportsTest, SchedulesAreSetUntilBothSucceededOnce) {
  EXPECT_EQ(GetReports(), 0);
  const auto first = loopback_.Requests("ManageReportSchedule");
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].Param("ReportType"), kShipmentReport);
  EXPECT_EQ(first[0].Param("Schedule"), "_1_DAY_");
  EXPECT_EQ(first[1].Param("ReportType"), kOrderReport);
  EXPECT_EQ(first[1].Param("Schedule"), "_30_MINUTES_");
  EXPECT_TRUE(Settings().amazon_reportgenerator_done());
  EXPECT_EQ(loopback_.marketplace().ConnectionCount(), 1u);  // one connection for the whole operation
  EXPECT_EQ(GetReports(), 0);
  EXPECT_EQ(loopback_.Requests("ManageReportSchedule").size(), 2u);
}

TEST_F(AmazonReportsTest, ARefusedScheduleAsksBothAgainNextTime) {
  loopback_.marketplace().RefuseSchedule(kOrderReport);
  GetReports();
  EXPECT_FALSE(Settings().amazon_reportgenerator_done());
  GetReports();
  EXPECT_EQ(loopback_.Requests("ManageReportSchedule").size(), 4u);
  EXPECT_EQ(loopback_.marketplace().Schedules().count(kShipmentReport), 1u);
}

TEST_F(AmazonReportsTest, ScheduleOperationsAnswerWithATextUnlessConfirmed) {
  struct Case {
    const char* label;
    bool shipments;
    std::optional<Failure> failure;
    bool refuse;
    std::int32_t result;
  };
  const Case cases[] = {
      {"order schedule", false, std::nullopt, false, 1},
      {"shipment schedule", true, std::nullopt, false, 1},
      {"refused", true, std::nullopt, true, 0},
      {"server failure", false, Failure::Status500("kaputt"), false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    loopback_.simulator().Failures().ClearAll();
    if (c.failure) loopback_.simulator().Failures().Set("mws:ManageReportSchedule", *c.failure);
    if (c.refuse) loopback_.marketplace().RefuseSchedule(kShipmentReport);
    error_.clear();
    const auto result = c.shipments ? shop_.AktiviereAutoFbaReportErzeugung(error_, false)
                                    : shop_.AktiviereAutoReportErzeugung(error_, false);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(error_.empty(), c.result == 1) << error_;
  }
  error_.clear();
  EXPECT_EQ(shop_.AktiviereAutoReportErzeugung(error_, true), 1);  // only asks
}

TEST_F(AmazonReportsTest, AFailedDownloadIsNeitherKeptNorAcknowledged) {
  auto& marketplace = loopback_.marketplace();
  const std::string first = marketplace.AddReport(kOrderReport, "<AmazonEnvelope/>");
  const std::string second = marketplace.AddReport(kOrderReport, "<AmazonEnvelope/>");
  const std::string third = marketplace.AddReport(kOrderReport, "<AmazonEnvelope/>");
  loopback_.simulator().Failures().Set("mws:GetReport:" + second, Failure::WrongMd5());
  EXPECT_EQ(GetReports(), 1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(ReportFiles(), (std::vector<std::string>{first + ".xml", third + ".xml"}));
  const auto acknowledgements = loopback_.Requests("UpdateReportAcknowledgements");
  ASSERT_EQ(acknowledgements.size(), 1u);
  EXPECT_EQ(acknowledgements[0].Param("ReportIdList.Id.1"), first);
  EXPECT_EQ(acknowledgements[0].Param("ReportIdList.Id.2"), third);
  EXPECT_EQ(acknowledgements[0].Param("ReportIdList.Id.3"), "");
  EXPECT_FALSE(marketplace.Report(second)->acknowledged);

  // The next run lists and fetches only the one that failed.
  loopback_.simulator().Failures().ClearAll();
  EXPECT_EQ(GetReports(), 1);
  EXPECT_EQ(ReportFiles().size(), 3u);
  EXPECT_TRUE(marketplace.Report(second)->acknowledged);
}

TEST_F(AmazonReportsTest, OrderReportsOfAnAccountThatIsNotSellerCentralAreTextFiles) {
  Settings settings;
  settings.set_amazon_merchant_kind("mp");
  settings.Save();
  const std::string id = loopback_.marketplace().AddReport(kOrderReport, "order-id\n");
  EXPECT_EQ(GetReports(), 1);
  EXPECT_EQ(ReportFiles(), std::vector<std::string>{id + ".txt"});
}

TEST_F(AmazonReportsTest, NothingToFetchGivesNoFileAndZero) {
  EXPECT_EQ(GetReports(), 0);
  EXPECT_EQ(error_, "");
  EXPECT_TRUE(ReportFiles().empty());
  // The report list asks for unacknowledged order reports since the start date, in UTC.
  const auto list = loopback_.Requests("GetReportList").front();
  EXPECT_EQ(list.Param("AvailableFromDate"), "2025-12-31T23:00:00Z");
  EXPECT_EQ(list.Param("Acknowledged"), "false");
  EXPECT_EQ(list.Param("ReportTypeList.Type.1"), kOrderReport);
}

TEST_F(AmazonReportsTest, WhenEveryDownloadFailsTheHostGetsAText) {
  loopback_.marketplace().AddReport(kOrderReport, "<AmazonEnvelope/>");
  loopback_.simulator().Failures().Set("mws:GetReport", Failure::NoMd5());
  EXPECT_EQ(GetReports(), -1);
  EXPECT_NE(error_.find("Content-MD5"), std::string::npos) << error_;
  EXPECT_TRUE(ReportFiles().empty());
  EXPECT_TRUE(loopback_.Requests("UpdateReportAcknowledgements").empty());

  loopback_.simulator().Failures().Set("mws:GetReportList", Failure::Status500("kaputt"));
  EXPECT_EQ(GetReports(), -1);
  EXPECT_NE(error_, "");
}

TEST_F(AmazonReportsTest, ReportIdsThatAreNoNumbersNeverBecomePaths) {
  auto& marketplace = loopback_.marketplace();
  marketplace.AddReport(kOrderReport, "<AmazonEnvelope/>", "../../../ausgebrochen");
  marketplace.AddReport(kOrderReport, "<AmazonEnvelope/>", "7\nx");
  const std::string good = marketplace.AddReport(kOrderReport, "<AmazonEnvelope/>");
  loopback_.host().EnableLogging();
  EXPECT_EQ(GetReports(), 1);
  EXPECT_EQ(ReportFiles(), std::vector<std::string>{good + ".xml"});
  EXPECT_FALSE(std::filesystem::exists(loopback_.host().ProgramData() / "ausgebrochen.xml"));
  EXPECT_FALSE(std::filesystem::exists(loopback_.ReportFolder() / "../../../ausgebrochen.xml"));
  EXPECT_TRUE(loopback_.Requests("GetReport").size() == 1u);
  EXPECT_NE(loopback_.host().Log().find("ausgebrochen"), std::string::npos);
}

TEST_F(AmazonReportsTest, ShipmentReportsAreListedPerHundredRequestsAndAcknowledgedPerHundred) {
  auto& marketplace = loopback_.marketplace();
  marketplace.SetPageSizes(100, 10);
  for (int i = 0; i < 250; ++i)
    marketplace.AddReportRequest(kShipmentReport,
                                 marketplace.AddReport(kShipmentReport, "amazon-order-id\n"));
  marketplace.AddReportRequest(kShipmentReport, "");  // done, but nothing generated
  EXPECT_EQ(GetReports(), 1);
  EXPECT_EQ(ListLengths("GetReportList", "ReportRequestIdList.Id."),
            (std::vector<std::size_t>{100, 100, 50, 0}));
  EXPECT_EQ(loopback_.Requests("GetReportRequestListByNextToken").size(), 2u);
  EXPECT_EQ(ListLengths("UpdateReportAcknowledgements", "ReportIdList.Id."),
            (std::vector<std::size_t>{100, 100, 50}));
  EXPECT_EQ(ReportFiles().size(), 250u);
  for (const auto& name : ReportFiles()) EXPECT_TRUE(name.ends_with(".txt")) << name;
}

}  // namespace
}  // namespace kanvio
