#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/FileSystem.h"
#include "platform/UserDataFolder.h"

namespace kanvio::platform {
namespace {

TEST(UserDataFolderTest, TheVariableWinsOtherwiseAFolderOfOurOwn) {
  {
    test::ScopedEnv dir("KANVIO_USER_CONFIG_DIR", "/somewhere/else");
    EXPECT_EQ(UserDataFolder(), std::filesystem::path("/somewhere/else"));
  }
  test::ScopedEnv none("KANVIO_USER_CONFIG_DIR", std::nullopt);
  EXPECT_EQ(PathToUtf8(UserDataFolder().filename()), "marlixKanvio");
  EXPECT_FALSE(UserDataFolder().parent_path().empty());
}

}  // namespace
}  // namespace kanvio::platform
