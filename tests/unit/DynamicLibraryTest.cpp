#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

TEST(DynamicLibraryTest, FindsExportedFunctionsOnlyAndFailsWithThePath) {
  DynamicLibrary paths(KANVIO_PATHS_LIBRARY_FILE);
  EXPECT_NE(paths.Symbol("getProgramData"), nullptr);
  EXPECT_NE(paths.Symbol("isWindowsConform"), nullptr);
  EXPECT_EQ(paths.Symbol("getNothing"), nullptr);

  test::TempDir dir;
  const auto missing = dir / kPathLibraryName;
  try {
    DynamicLibrary library(missing);
    FAIL() << "loaded a missing library";
  } catch (const Error& failure) {
    EXPECT_NE(std::string(failure.what()).find(PathToUtf8(missing)), std::string::npos) << failure.what();
  }
  test::WriteFile(missing, "not a library");
  EXPECT_THROW(DynamicLibrary{missing}, Error);
}

TEST(DynamicLibraryTest, OwnModuleAndProgramAreRealFiles) {
  EXPECT_TRUE(std::filesystem::is_regular_file(OwnModulePath())) << OwnModulePath();
  EXPECT_TRUE(std::filesystem::is_regular_file(ExecutablePath())) << ExecutablePath();
  EXPECT_TRUE(OwnModulePath().is_absolute());
}

}  // namespace
}  // namespace kanvio::platform
