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
  ASSERT_EQ(sent_.size(), 2u);
  EXPECT_EQ(error, "");
  EXPECT_EQ(sent_[0].url, "https://shop.example/epages/Store.soap");
  EXPECT_EQ(sent_[0].total_timeout, std::chrono::milliseconds(5'000'000));
  EXPECT_EQ(sent_[0].inactivity_timeout, std::chrono::milliseconds(5'000'000));
  EXPECT_EQ(sent_[1].total_timeout, std::chrono::milliseconds(1'500'000));
  EXPECT_EQ(sent_[1].inactivity_timeout, std::chrono::milliseconds(1'500'000));
  ASSERT_TRUE(sent_[0].basic_auth);
  EXPECT_EQ(sent_[0].basic_auth->user, "/Shops/S/Users/u");
  EXPECT_EQ(sent_[0].basic_auth->password, "pw");
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

}  // namespace
}  // namespace kanvio::epages
