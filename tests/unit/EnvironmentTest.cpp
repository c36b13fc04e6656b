#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Environment.h"

namespace kanvio::platform {
namespace {

TEST(EnvironmentTest, EnvironmentChangesReachTheRuntime) {
  SetEnvironment("KANVIO_ENVIRONMENT_TEST", "Wert");
  ASSERT_NE(std::getenv("KANVIO_ENVIRONMENT_TEST"), nullptr);
  EXPECT_STREQ(std::getenv("KANVIO_ENVIRONMENT_TEST"), "Wert");
  UnsetEnvironment("KANVIO_ENVIRONMENT_TEST");
  EXPECT_EQ(std::getenv("KANVIO_ENVIRONMENT_TEST"), nullptr);
}

}  // namespace
}  // namespace kanvio::platform
