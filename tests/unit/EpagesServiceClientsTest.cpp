// What the ePages service wrappers send: time-outs, credentials, batches.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HostFolders.h"
#include "ShopTestSupport.h"
#include "config/Settings.h"
#include "platform/HttpClient.h"
#include "shops/epages/ServiceClients.h"

namespace kanvio::epages {
namespace {

// Answers every request with the body `answer` makes of it and keeps the requests.
class FakeHttp : public platform::HttpClient {
 public:
  using Answer = std::function<std::string(const platform::HttpRequest&)>;
  FakeHttp(std::vector<platform::HttpRequest>& sent, Answer answer)
      : sent_(sent), answer_(std::move(answer)) {}
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    sent_.push_back(request);
    platform::HttpResponse response;
    response.status = 200;
    response.content_type = "text/xml; charset=utf-8";
    response.body = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
                    answer_(request) + "</soap:Body></soap:Envelope>";
    return response;
  }

 private:
  std::vector<platform::HttpRequest>& sent_;
  Answer answer_;
};

// The item texts of the first string array in a request body.
std::vector<std::string> Items(const std::string& body) {
  std::vector<std::string> items;
  for (auto pos = body.find("<item xsi:type=\"xsd:string\">"); pos != std::string::npos;
       pos = body.find("<item xsi:type=\"xsd:string\">", pos + 1)) {
    const auto start = body.find('>', pos) + 1;
    items.push_back(body.substr(start, body.find('<', start) - start));
  }
  return items;
}

class EpagesServiceClientsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::StoreConnection("ledgrox", "epages", " https://shop.example/epages/Store.soap ", "/Shops/S/Users/u",
                          "pw");
  }

  platform::HttpClientFactory Http(FakeHttp::Answer answer) {
    return [this, answer] { return std::make_unique<FakeHttp>(sent_, answer); };
  }

  test::HostFolders host_;
  std::vector<platform::HttpRequest> sent_;
};

TEST_F(EpagesServiceClientsTest, StubsWaitAsLongAsTheirServiceNeedsAndSignInFirst) {
  const auto empty_find =
      Http([](const auto&) { return std::string("<findResponse><Orders/></findResponse>"); });
  std::string error;
  OrderServiceClient(Settings(), empty_find).Find({}, error);
  ProductServiceClient(
      Settings(), Http([](const auto&) { return std::string("<findResponse><Products/></findResponse>"); }))
      .Find({}, error);
  CustomerServiceClient(Settings(), Http([](const auto&) {
                          return std::string("<getInfoResponse><Customers/></getInfoResponse>");
                        }))
      .getInfo({"/Shops/S/Customers/1"}, {});
  ASSERT_EQ(sent_.size(), 3u);
  EXPECT_EQ(error, "");
  EXPECT_EQ(sent_[0].url, "https://shop.example/epages/Store.soap");
  EXPECT_EQ(sent_[0].total_timeout, std::chrono::milliseconds(5'000'000));
  EXPECT_EQ(sent_[0].inactivity_timeout, std::chrono::milliseconds(5'000'000));
  EXPECT_EQ(sent_[1].total_timeout, std::chrono::milliseconds(1'500'000));
  EXPECT_EQ(sent_[1].inactivity_timeout, std::chrono::milliseconds(1'500'000));
  EXPECT_EQ(sent_[2].total_timeout, std::chrono::milliseconds(5'000'000));
  EXPECT_EQ(sent_[2].inactivity_timeout, std::chrono::milliseconds(5'000'000));
  EXPECT_EQ(sent_[2].url, sent_[0].url);
  for (const auto& request : sent_) {
    ASSERT_TRUE(request.basic_auth);
    EXPECT_EQ(request.basic_auth->user, "/Shops/S/Users/u");
    EXPECT_EQ(request.basic_auth->password, "pw");
  }
}

TEST_F(EpagesServiceClientsTest, ProductInfoInBatchesFromTheEndBackwards) {
  std::vector<std::string> paths;
  for (int i = 1; i <= 1201; ++i) paths.push_back("/Shops/S/Products/P" + std::to_string(i));
  ProductServiceClient client(Settings(), Http([](const platform::HttpRequest& request) {
                                std::string answer = "<getInfoResponse><Products>";
                                for (const auto& path : Items(request.body))
                                  answer += "<Product><Path>" + path + "</Path></Product>";
                                return answer + "</Products></getInfoResponse>";
                              }));
  std::string error;
  const auto products = client.GetInfo(paths, error);
  ASSERT_EQ(sent_.size(), 3u);
  EXPECT_EQ(Items(sent_[0].body).size(), 500u);
  EXPECT_EQ(Items(sent_[1].body).size(), 500u);
  EXPECT_EQ(Items(sent_[2].body).size(), 201u);
  EXPECT_EQ(Items(sent_[0].body).front(), "/Shops/S/Products/P1201");
  EXPECT_EQ(Items(sent_[2].body).back(), "/Shops/S/Products/P1");
  ASSERT_TRUE(products);
  ASSERT_EQ(products->size(), 1201u);
  EXPECT_EQ(products->front().Path, "/Shops/S/Products/P1201");
}

TEST_F(EpagesServiceClientsTest, ProductFindDropsAppointmentsAndFailuresSetTheText) {
  ProductServiceClient client(
      Settings(), Http([](const auto&) {
        return std::string(
            "<findResponse><Products><p>/Shops/S/Products/A</p><p>/Shops/S/Products/Appointments/K</p>"
            "<p>/Shops/S/Products/B</p></Products></findResponse>");
      }));
  std::string error;
  EXPECT_EQ(client.Find({}, error), (std::vector<std::string>{"/Shops/S/Products/A", "/Shops/S/Products/B"}));
  EXPECT_EQ(error, "");

  ProductServiceClient broken(Settings(), Http([](const auto&) { return std::string("<oops/>"); }));
  EXPECT_TRUE(broken.Find({}, error).empty());
  EXPECT_NE(error, "");
  EXPECT_FALSE(broken.GetInfo({"/x"}, error));
}

TEST_F(EpagesServiceClientsTest, OrderInfoKeepsInputOrderAndLeavesFailedOrdersOut) {
  std::vector<std::string> paths;
  for (int i = 1; i <= 501; ++i) paths.push_back("/o/" + std::to_string(i));
  OrderServiceClient client(
      Settings(), Http([](const platform::HttpRequest& request) {
        std::string answer = "<getInfoResponse><Orders>";
        for (const auto& path : Items(request.body)) {
          if (path.rfind("/o/", 0) != 0) continue;
          answer += "<Order><Path>" + path + "</Path>" +
                    (path == "/o/7" ? "<Error><Message>gesperrt</Message></Error>" : "") + "</Order>";
        }
        return answer + "</Orders></getInfoResponse>";
      }));
  std::string error;
  const auto orders = client.getInfo(paths, {"CustomerComment"}, {}, error);
  ASSERT_EQ(sent_.size(), 2u);
  ASSERT_TRUE(orders);
  ASSERT_EQ(orders->size(), 500u);
  EXPECT_EQ(orders->front().Path, "/o/1");
  EXPECT_EQ(orders->back().Path, "/o/501");
  EXPECT_NE(error, "");
  EXPECT_NE(
      sent_[0].body.find("<LineItemAttributes xsi:type=\"soapenc:Array\" soapenc:arrayType=\"xsd:string[1]\">"
                         "<item xsi:type=\"xsd:string\">Id</item>"),
      std::string::npos);
}

// The text of each element called name in a request body, in order.
std::vector<std::string> Values(const std::string& body, const std::string& name) {
  std::vector<std::string> values;
  const std::string open = "<" + name + " xsi:type=\"xsd:string\">";
  for (auto pos = body.find(open); pos != std::string::npos; pos = body.find(open, pos + 1)) {
    const auto start = pos + open.size();
    values.push_back(body.substr(start, body.find('<', start) - start));
  }
  return values;
}

ProductRecord NewProduct(const std::string& alias) {
  ProductRecord record;
  record.Alias = alias;
  record.TaxClass = "/TaxMatrixGermany/normal";
  return record;
}

// The shop refuses the bare tax class. A-1 takes the class below the shop
// path, A-2 only the short form, A-3 none; A-4 fails for another reason; the
// answer leaves A-5 out.
TEST_F(EpagesServiceClientsTest, CreateRetriesTaxClassesPerRecordAndReportsEveryOutcome) {
  const auto answer = [](const platform::HttpRequest& request) {
    const auto aliases = Values(request.body, "Alias");
    const auto classes = Values(request.body, "TaxClass");
    std::string answer = "<createResponse><Products>";
    for (std::size_t i = 0; i < aliases.size(); ++i) {
      const std::string& alias = aliases[i];
      const std::string& tax_class = classes[i];
      if (alias == "A-5") continue;
      std::string error;
      if (alias == "A-4") {
        error = "Der Name fehlt.";
      } else if (tax_class == "/TaxMatrixGermany/normal" || alias == "A-3" ||
                 (alias == "A-2" && tax_class != "/TaxMatrix/normal")) {
        error = "TaxMatrixGermany/normal was not found";
      }
      answer += "<Product><Alias>" + alias + "</Alias>" +
                (error.empty() ? "<Path>/Shops/S/Products/" + alias + "</Path>"
                               : "<Error><Message>" + error + "</Message></Error>") +
                "</Product>";
    }
    return answer + "</Products></createResponse>";
  };
  ProductServiceClient client(Settings(), Http(answer));
  const auto results = client.Create(
      {NewProduct("A-1"), NewProduct("A-2"), NewProduct("A-3"), NewProduct("A-4"), NewProduct("A-5")},
      "/Shops/S");
  ASSERT_EQ(results.size(), 5u);
  EXPECT_EQ(results[0].Path, "/Shops/S/Products/A-1");
  EXPECT_FALSE(results[0].Error);
  EXPECT_EQ(results[1].Path, "/Shops/S/Products/A-2");
  EXPECT_FALSE(results[1].Error);
  EXPECT_TRUE(results[2].Error);
  EXPECT_EQ(results[3].Error, "Der Name fehlt.");  // later records are still looked at
  EXPECT_TRUE(results[4].Error);                   // the answer lacks it
  EXPECT_EQ(results[4].Alias, "A-5");
  // The batch, then each refused record alone: below the shop path, then in the short form.
  std::vector<std::string> requests;
  for (const auto& request : sent_) {
    std::string line;
    for (const auto& alias : Values(request.body, "Alias")) line += alias + " ";
    requests.push_back(line + Values(request.body, "TaxClass").back());
  }
  EXPECT_EQ(requests,
            (std::vector<std::string>{"A-1 A-2 A-3 A-4 A-5 /TaxMatrixGermany/normal",
                                      "A-1 /Shops/S/TaxMatrixGermany/normal",
                                      "A-2 /Shops/S/TaxMatrixGermany/normal", "A-2 /TaxMatrix/normal",
                                      "A-3 /Shops/S/TaxMatrixGermany/normal", "A-3 /TaxMatrix/normal"}));
}

TEST_F(EpagesServiceClientsTest, FailedRequestFailsEveryRecordAndStockGoesInBatchesOfFiveHundred) {
  ProductServiceClient broken(Settings(), Http([](const auto&) { return std::string("<oops/>"); }));
  const auto failed = broken.Create({NewProduct("A-1"), NewProduct("A-2")}, "/Shops/S");
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_TRUE(failed[0].Error && failed[1].Error);
  sent_.clear();

  std::vector<ProductRecord> stock(1201);
  for (std::size_t i = 0; i < stock.size(); ++i) stock[i].Path = "/Shops/S/Products/P" + std::to_string(i);
  ProductServiceClient client(Settings(), Http([](const platform::HttpRequest& request) {
                                std::string answer = "<updateResponse><Products>";
                                for (const auto& path : Values(request.body, "Path"))
                                  answer += path == "/Shops/S/Products/P7"
                                                ? "<P><Error><Message>gesperrt</Message></Error></P>"
                                                : "<P><updated>true</updated></P>";
                                return answer + "</Products></updateResponse>";
                              }));
  const auto results = client.UpdateStock(stock);
  ASSERT_EQ(sent_.size(), 3u);
  ASSERT_EQ(results.size(), 1201u);
  EXPECT_EQ(results[7].Error, "gesperrt");
  EXPECT_EQ(std::count_if(results.begin(), results.end(), [](const auto& r) { return r.Error.has_value(); }),
            1);
  EXPECT_EQ(results[1200].Path, "/Shops/S/Products/P1200");
}

TEST_F(EpagesServiceClientsTest, AliasSearchTakesOnlyTheProductWithExactlyThatAlias) {
  ProductServiceClient client(
      Settings(), Http([](const auto&) {
        return std::string(
            "<findResponse><Products><p>/Shops/S/Products/A-100</p>"
            "<p>/Shops/S/Products/XA-10</p><p>/Shops/S/Products/T/SubProducts/A-10</p>"
            "</Products></findResponse>");
      }));
  EXPECT_EQ(client.FindByAlias("A-10").path, "/Shops/S/Products/T/SubProducts/A-10");
  EXPECT_FALSE(client.FindByAlias("A-1").path);
  EXPECT_FALSE(client.FindByAlias("A-1").failed);
  ProductServiceClient broken(Settings(), Http([](const auto&) { return std::string("<oops/>"); }));
  EXPECT_TRUE(broken.FindByAlias("A-10").failed);
}

}  // namespace
}  // namespace kanvio::epages
