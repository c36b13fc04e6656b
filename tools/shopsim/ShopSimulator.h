#pragma once
// A demo shop on loopback that answers like the shop-side PHP scripts and the
// REST plug-ins, for the demo and the tests. It keeps a small shop in memory,
// records every request and fails on demand.
//
//   kanvio::shopsim::ShopSimulator shop({.base_path = "/shop"});
//   shop.Start();
//   // point the client at shop.ShopUrl() ...
//   shop.Failures().Set("sync:lqx_to_shop", Failure::Status500("kaputt"));
//   EXPECT_EQ(shop.RequestCount("sync:lqx_to_shop"), 1);

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "EpagesShop.h"
#include "EbayMarket.h"
#include "Failure.h"
#include "FailurePlan.h"
#include "MwsMarketplace.h"
#include "RequestLog.h"
#include "ShopState.h"

namespace kanvio::shopsim {

struct SimulatorOptions {
  int port = 0;                           // 0: an ephemeral port
  std::string base_path;                  // scripts and plug-ins live below it: "" or e.g. "/shop"
  std::string password;                   // enciphers paged article answers; at most 32 bytes
  std::size_t articles_import_limit = 0;  // page size the REST plug-in offers; 0: no paging
  std::filesystem::path state_file;       // written after every change when set
  bool demo_data = true;                  // start with the demo shop's orders and articles
  // eBay: sessions count as signed in this long after they were opened;
  // nullopt: only through the sign-in page.
  std::optional<std::chrono::milliseconds> ebay_sign_in_after = std::nullopt;
  std::size_t ebay_generated_orders = 0;  // paid single orders added to the eBay seller's sold list
};

// Serves on 127.0.0.1. Every member may be called from any thread; the
// handlers run on the server's own threads. A POST without Content-Length is
// answered 400 by the HTTP server before any handler runs, so it is neither
// recorded nor counted.
class ShopSimulator {
 public:
  // Throws std::invalid_argument for a password over 32 bytes.
  explicit ShopSimulator(SimulatorOptions options = {});
  ~ShopSimulator();  // stops
  ShopSimulator(const ShopSimulator&) = delete;
  ShopSimulator& operator=(const ShopSimulator&) = delete;

  // Binds and starts serving; throws std::runtime_error when the port cannot
  // be bound. Connections are accepted once it returns.
  void Start();
  // Releases slow answers, stops serving and waits for the server's threads.
  // Safe to call more than once.
  void Stop();

  int Port() const;
  // "http://127.0.0.1:PORT" followed by the base path.
  std::string ShopUrl() const;

  ShopState& Shop();
  // The ePages shop behind the SOAP services (paths ending in ".soap").
  EpagesShop& Epages();
  // eBay's Trading API and sign-in page.
  EbayMarket& Ebay();
  FailurePlan& Failures();
  // The marketplace behind the MWS endpoints below "<base path>/mws".
  MwsMarketplace& Marketplace();

  // Lets every slow answer held now go on with its normal answer.
  void ReleaseSlowAnswers();
  // True once `count` slow answers are being held; false after `timeout`.
  bool AwaitSlowAnswers(std::size_t count, std::chrono::milliseconds timeout);

  std::vector<RecordedRequest> Requests() const;
  // Requests counted under a target: "orders", "val", "sync", "del",
  // "ebay", "ebay:CALL" (see EbayTradingModule.h),
  // "sync:VALUE", "val:FUNCTION"; "rest" (every plug-in request, whichever
  // plug-in), "rest:ENDPOINT" (e.g. "rest:setOrderStatus"),
  // "rest:getArticles:offset=N" (one page); "epages", "epages:SERVICE",
  // "epages:SERVICE:OPERATION"; "mws", "mws:ACTION", "mws:ACTION:KEY" (see
  // MwsModule.h); or "unknown" for paths nothing serves.
  std::size_t RequestCount(const std::string& target) const;
  void ClearRequests();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kanvio::shopsim
