// The MWS client against the simulated marketplace and against fake servers
// that misbehave in ways the simulator does not.
#include <gtest/gtest.h>

#include "FakeServer.h"
#include "MwsLoopback.h"
#include "net/MwsClient.h"
#include "shops/amazon/AmazonSettings.h"

namespace kanvio::net {
namespace {

using namespace std::chrono_literals;
using shopsim::Failure;

class MwsClientTest : public ::testing::Test {
 protected:
  MwsClientConfig Reports() const {
    auto config = AmazonSettings().getAmazonReportConfig();
    config.total_timeout = 2s;
    config.inactivity_timeout = 2s;
    return config;
  }
  std::vector<std::chrono::milliseconds> Waits() const { return loopback_.clock().sleeps; }

  test::MwsLoopback loopback_{true};
};

TEST_F(MwsClientTest, TheMarketplaceChecksTheSignature) {
  MwsClient client(Reports());
  const auto answer = client.Call("GetReportList", {{"ReportTypeList.Type.1", "_GET_ORDERS_DATA_"}});
  EXPECT_EQ(ParseReportInfoPage(answer.result).entries.size(), 2u);
  const auto sent = loopback_.Requests("GetReportList").back();
  EXPECT_EQ(sent.Param("Merchant"), "A1SHOPSIM");
  EXPECT_EQ(sent.Header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(sent.Header("User-Agent"), "marlix");

  auto wrong = Reports();
  wrong.secret_key = "falsch";
  MwsClient forged(wrong);
  try {
    forged.Call("GetReportList", {});
    ADD_FAILURE() << "accepted";
  } catch (const MwsError& e) {
    EXPECT_EQ(e.status(), 403);
    EXPECT_EQ(e.info().code, "SignatureDoesNotMatch");
    EXPECT_EQ(e.info().request_id, "shopsim-SignatureDoesNotMatch");
  }
  EXPECT_EQ(forged.requests_sent(), 1u);  // a refusal is not retried
  EXPECT_TRUE(Waits().empty());
}

// The marketplace refuses requests whose time stamp is more than 15 minutes
// off its own clock, and such a refusal is not retried.
TEST_F(MwsClientTest, TimeStampsFarFromTheMarketplacesClockAreRefused) {
  const struct {
    std::chrono::minutes skew;
    bool accepted;
  } cases[] = {{-20min, false}, {-10min, true}, {10min, true}, {20min, false}};
  for (const auto& c : cases) {
    const auto skew = c.skew;
    loopback_.marketplace().SetClock([skew] { return platform::CurrentClock().NowUtc() + skew; });
    MwsClient client(Reports());
    try {
      client.Call("GetReportList", {});
      EXPECT_TRUE(c.accepted) << c.skew.count();
    } catch (const MwsError& e) {
      EXPECT_FALSE(c.accepted) << c.skew.count();
      EXPECT_EQ(e.status(), 400);
      EXPECT_EQ(e.info().code, "InvalidParameterValue");
    }
    EXPECT_EQ(client.requests_sent(), 1u) << c.skew.count();
  }
  EXPECT_TRUE(Waits().empty());
}

TEST_F(MwsClientTest, ServerFailuresAreRetriedFourTimesWithGrowingWaits) {
  struct Case {
    const char* label;
    Failure failure;
    bool succeeds;
    std::vector<std::chrono::milliseconds> waits;
  };
  const Case cases[] = {
      {"two throttled answers", Failure::Status503().Times(2), true, {1s, 4s}},
      {"a dropped connection", Failure::Drop().Times(1), true, {1s}},
      {"500 for ever", Failure::Status500("kaputt"), false, {1s, 4s, 10s, 30s}},
      {"throttled for ever", Failure::Status503(), false, {1s, 4s, 10s, 30s}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    loopback_.clock().sleeps.clear();
    loopback_.simulator().Failures().Set("mws:GetReportList", c.failure);
    MwsClient client(Reports());
    if (c.succeeds) {
      EXPECT_NO_THROW(client.Call("GetReportList", {}));
    } else {
      EXPECT_THROW(client.Call("GetReportList", {}), Error);
    }
    EXPECT_EQ(Waits(), c.waits);
    EXPECT_EQ(client.requests_sent(), c.waits.size() + 1);
    loopback_.simulator().Failures().ClearAll();
  }
}

TEST_F(MwsClientTest, DownloadsAreWrittenOnlyWithAMatchingContentMd5) {
  const auto target = loopback_.dir() / "report.xml";
  const std::string id = loopback_.marketplace().Reports().front().id;
  auto& failures = loopback_.simulator().Failures();

  failures.Set("mws:GetReport:" + id, Failure::WrongMd5());
  MwsClient wrong(Reports());
  EXPECT_THROW(wrong.Download("GetReport", {{"ReportId", id}}, target), ContentMd5Error);
  EXPECT_EQ(wrong.requests_sent(), 5u);
  EXPECT_FALSE(std::filesystem::exists(target));

  failures.Set("mws:GetReport:" + id, Failure::NoMd5());
  MwsClient missing(Reports());
  EXPECT_THROW(missing.Download("GetReport", {{"ReportId", id}}, target), ContentMd5Error);
  EXPECT_EQ(missing.requests_sent(), 1u);
  EXPECT_FALSE(std::filesystem::exists(target));

  failures.Set("mws:GetReport:" + id, Failure::WrongMd5().Times(1));
  MwsClient once(Reports());
  EXPECT_GT(once.Download("GetReport", {{"ReportId", id}}, target), 0u);
  EXPECT_EQ(test::ReadFile(target), loopback_.marketplace().Report(id)->body);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(loopback_.dir().path()), {}), 2)
      << "no temporary file may stay beside the report";
}

TEST_F(MwsClientTest, ManyRequestsShareOneConnection) {
  MwsClient client(Reports());
  for (int i = 0; i < 20; ++i) client.Call("GetReportList", {});
  EXPECT_EQ(loopback_.marketplace().ConnectionCount(), 1u);
}

TEST_F(MwsClientTest, TimedOutRequestsFailAfterTheirRetries) {
  loopback_.simulator().Failures().Set("mws:GetReportList", Failure::Slow(5s));
  auto config = Reports();
  config.total_timeout = 100ms;
  MwsClient client(config);
  EXPECT_THROW(client.Call("GetReportList", {}), TransportError);
  EXPECT_EQ(Waits().size(), 4u);
  loopback_.simulator().ReleaseSlowAnswers();
}

// A server whose pages never end: each answer names a next page, or always the same one.
class EndlessPages {
 public:
  explicit EndlessPages(bool repeat)
      : server_([this, repeat](httplib::Server& s) {
          s.Post("/", [this, repeat](const httplib::Request&, httplib::Response& res) {
            const int page = ++pages_;
            const std::string token = repeat ? "immer-derselbe" : "seite-" + std::to_string(page);
            const std::string action = page == 1 ? "GetReportList" : "GetReportListByNextToken";
            res.set_content("<" + action + "Response><" + action + "Result><NextToken>" + token +
                                "</NextToken><HasNext>true</HasNext><ReportInfo><ReportId>" +
                                std::to_string(page) + "</ReportId></ReportInfo></" + action + "Result></" +
                                action + "Response>",
                            "text/xml");
          });
        }) {}
  std::string url() const { return server_.url() + "/"; }
  int pages() const { return pages_; }

 private:
  std::atomic<int> pages_{0};
  test::FakeServer server_;
};

TEST_F(MwsClientTest, PagesStopAtARepeatedTokenAndAfterAThousand) {
  for (const bool repeat : {true, false}) {
    SCOPED_TRACE(repeat ? "repeated token" : "endless pages");
    EndlessPages server(repeat);
    auto config = Reports();
    config.service_url = server.url();
    MwsClient client(config);
    std::size_t reports = 0;
    client.ForEachPage("GetReportList", {}, "GetReportListByNextToken", [&](pugi::xml_node result) {
      auto page = ParseReportInfoPage(result);
      reports += page.entries.size();
      return page.next_token;
    });
    const std::size_t expected = repeat ? 2 : MwsClient::kMaxPages;
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(server.pages(), static_cast<int>(expected));
  }
}

}  // namespace
}  // namespace kanvio::net
