// eBay through the C interface and through kanvio, against the simulated
// Trading API on loopback. The sign-in is the library's own (the address on
// the terminal, the completed sign-in noticed by polling); the simulator
// signs each session in at once, as a quick user would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "E2eSupport.h"
#include "EbayTestSupport.h"
#include "ShopSimulator.h"
#include "config/Settings.h"
#include "support/Resources.h"

namespace kanvio::test {
namespace {

using tool::Answer;

class EbayE2eTest : public E2eTest {
 protected:
  EbayE2eTest() {
    sim_.Start();
    WriteFile(dir_ / "deployment.config", EbayDeploymentConfig(sim_.Port()));
  }

  std::string Status() const { return ReadFile(dir_ / "status.log"); }

  shopsim::ShopSimulator sim_{{.port = 0,
                               .base_path = "",
                               .password = "",
                               .state_file = {},
                               .demo_data = true,
                               .ebay_sign_in_after = std::chrono::milliseconds(0)}};
  ScopedEnv deployment_{"KANVIO_DEPLOYMENT_CONFIG", (dir_ / "deployment.config").string()};
  ScopedEnv opener_{"KANVIO_BROWSER_OPENER", ""};
  ScopedEnv waits_{"KANVIO_MARKETPLACE_WAIT_MS", "0"};
};

TEST_F(EbayE2eTest, SignInAndOrderImportThroughTheCInterface) {
  const auto& library = RealLibrary();
  const auto imported = dir_ / "importiert.txt";
  const auto orders = dir_ / "orders.xml";
  ASSERT_EQ(library.Call("SetEbayImportedOrdersPath", imported.string()).code, 1);

  std::string token;
  const Answer init = library.InitEbay("ledgrox", "haendler", "", "01.03.2020 10:00:00", "False", "", token);
  ASSERT_EQ(init.code, 1) << init.text;
  EXPECT_EQ(init.text, "");
  EXPECT_EQ(sim_.Ebay().TokenStatus(token), "Active");
  EXPECT_EQ(Settings().ebay_token(), token);

  const Answer first = library.Call("GetOrders", orders.string());
  EXPECT_EQ(first.code, 1);
  EXPECT_EQ(first.text, "");
  const std::string written = ReadFile(orders);
  EXPECT_EQ(Occurrences(written, "<Bestellvorgang>"), 4u);
  EXPECT_TRUE(
      written.starts_with("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><OrderNotification>"));
  EXPECT_NE(Status().find("status: Hole eBay-Bestellung 4 von 4\n"), std::string::npos) << Status();
  EXPECT_NE(Status().find("status: Neue Bestellungen abgeholt...\n"), std::string::npos) << Status();

  // The host imported them and lists them, as on Windows: nothing new, the file stays.
  std::string lines = "\xEF\xBB\xBF";
  for (const char* id : {"110000000006-2000000006", "110000000002-2000000002", "110000000001-2000000001",
                         "110000000003-2000000003"})
    lines += std::string(id) + "\r\n";
  WriteFile(imported, lines);
  const Answer second = library.Call("GetOrders", orders.string());
  EXPECT_EQ(second.code, 1);
  EXPECT_EQ(second.text, "");
  EXPECT_NE(Status().find("status: Keine neuen Bestellungen zum Abholen vorhanden...\n"), std::string::npos);
  EXPECT_EQ(ReadFile(orders), written);

  // A failure reaches the host as the connector's text.
  sim_.Failures().Set("ebay:GetMyeBaySelling", shopsim::Failure::Status500("Wartung"));
  const Answer failed = library.Call("GetOrders", orders.string());
  EXPECT_EQ(failed.code, 1);
  EXPECT_EQ(failed.text, Resources::ORDER_GETINFO_ERROR());

  const Answer count = library.Call("GetUnimportedOrdersCount");
  EXPECT_EQ(count.code, 0);
  EXPECT_EQ(count.text, "Diese Funktion wird von eBay derzeitig nicht untersützt.");
}

TEST_F(EbayE2eTest, KanvioRunsAnEbaySession) {
  const auto out = dir_ / "out.txt";
  const auto err = dir_ / "err.txt";
  const std::string command = KANVIO_BIN_DIR "/kanvio --ebay haendler --site 77 --imported-orders " +
                              (dir_ / "importiert.txt").string() +
                              " --pause-ms 0 --status-log none get-orders " + (dir_ / "orders.xml").string() +
                              " >" + out.string() + " 2>" + err.string();
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output << ReadFile(err);
  EXPECT_EQ(
      output,
      "InitStatusAnzeige = 1\nSetEbayImportedOrdersPath = 1\nA new eBay token was stored.\nInitEbay = 1\n"
      "GetOrders = 1\nDeInit = 1\nDeInitStatusAnzeige = 1\n");
  // The sign-in address went to the terminal.
  EXPECT_NE(ReadFile(err).find("Adresse: http://127.0.0.1:" + std::to_string(sim_.Port()) +
                               "/signin/de/ws/eBayISAPI.dll?SignIn&runame="),
            std::string::npos)
      << ReadFile(err);
  EXPECT_EQ(Occurrences(ReadFile(dir_ / "orders.xml"), "<Bestellvorgang>"), 4u);
}

}  // namespace
}  // namespace kanvio::test
