#pragma once
// An Amazon account on loopback: a host installation, the shop simulator's
// marketplace as every MWS address, a fake clock that both sides read, and
// the account InitAmazon stores.

#include <chrono>
#include <string>

#include "AmazonTestSupport.h"
#include "FakeClock.h"
#include "HostFolders.h"
#include "ShopSimulator.h"
#include "TestSupport.h"

namespace kanvio::test {

class MwsLoopback {
 public:
  explicit MwsLoopback(bool demo_data = false)
      : simulator_({.port = 0,
                    .base_path = "/shop",
                    .password = {},
                    .articles_import_limit = 0,
                    .state_file = {},
                    .demo_data = demo_data}) {
    // The simulator checks time stamps against the clock the library signs with.
    simulator_.Marketplace().SetClock([] { return platform::CurrentClock().NowUtc(); });
    simulator_.Start();
    deployment_.emplace(dir_.path(), MwsRoot());
    StoreAmazonAccount("A1SHOPSIM", "de", {2026, 1, 1, 0, 0, 0});
  }

  std::string MwsRoot() const { return simulator_.ShopUrl() + "/mws"; }
  shopsim::ShopSimulator& simulator() { return simulator_; }
  shopsim::MwsMarketplace& marketplace() { return simulator_.Marketplace(); }
  FakeClock& clock() { return clock_; }
  const FakeClock& clock() const { return clock_; }
  const HostFolders& host() const { return host_; }
  const TempDir& dir() const { return dir_; }
  std::filesystem::path ReportFolder() const { return host_.ProgramData() / "Webshop/ImportFiles/Amazon"; }

  // The requests of an action, as the simulator recorded them.
  std::vector<shopsim::RecordedRequest> Requests(const std::string& action) const {
    std::vector<shopsim::RecordedRequest> found;
    for (auto& request : simulator_.Requests()) {
      if (request.Param("Action") == action) found.push_back(request);
    }
    return found;
  }

 private:
  HostFolders host_;
  TempDir dir_;
  FakeClock clock_;
  shopsim::ShopSimulator simulator_;
  std::optional<MwsDeployment> deployment_;
};

}  // namespace kanvio::test
