#pragma once
// What every end-to-end test needs: a host installation of its own, a status
// log, no pauses, and the two libraries loaded the way a
// host loads them.

#include <gtest/gtest.h>

#include "ConnectorLibrary.h"
#include "HostFolders.h"
#include "TestSupport.h"

namespace kanvio::test {

inline const std::string kNotFound =
    "Der von Ihnen gewählte Webshop wurde im System nicht gefunden, bitte wählen Sie einen anderen aus.";

// The library as built, without any connector family of tests.
inline const tool::ConnectorLibrary& RealLibrary() {
  static const tool::ConnectorLibrary library(KANVIO_LIBRARY_PATH);
  return library;
}

// The same library with the test families "testshop" and "testebay".
inline const tool::ConnectorLibrary& TestShopLibrary() {
  static const tool::ConnectorLibrary library(KANVIO_TESTSHOP_LIBRARY_PATH);
  return library;
}

inline std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++count;
  return count;
}

class E2eTest : public ::testing::Test {
 protected:
  HostFolders host_;
  TempDir dir_;
  ScopedEnv pause_{"KANVIO_WORKER_PAUSE_MS", "0"};
  ScopedEnv status_{"KANVIO_STATUS_LOG", (dir_ / "status.log").string()};

  // Each library keeps its connection for the whole process.
  void SetUp() override {
    RealLibrary().DeInit();
    TestShopLibrary().DeInit();
  }
  void TearDown() override { SetUp(); }

  std::string Journal() const { return (dir_ / "journal.txt").string(); }
  std::string Script(const std::string& settings = "") const {
    return "test:journal=" + Journal() + (settings.empty() ? "" : "&" + settings);
  }
};

}  // namespace kanvio::test
