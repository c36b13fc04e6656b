// Hosts without a path library, and a path library found beside the program.
// The library then falls back to the folder of the running program, so each
// test copies a probe program into a temporary software folder and runs it
// there (see probe/NoPathLibraryProbe.cpp).

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "TestSupport.h"
#include "platform/DynamicLibrary.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using ::testing::ElementsAre;
using ::testing::EndsWith;

struct Outcome {
  int status = -1;
  std::string out;
};

class NoPathLibraryTest : public ::testing::Test {
 protected:
  NoPathLibraryTest()
      : user_config_env_("KANVIO_USER_CONFIG_DIR", (dir_ / "user").string()),
        library_env_("KANVIO_PATHS_LIBRARY", std::nullopt),
        program_data_env_("KANVIO_PROGRAMDATA", std::nullopt) {
    fs::create_directories(ProgramFolder());
    fs::copy_file(KANVIO_NO_PATH_LIBRARY_PROBE, Probe());
    fs::permissions(Probe(), fs::perms::owner_all);
  }

  fs::path SoftwareFolder() const { return dir_ / "software"; }
  fs::path ProgramFolder() const { return SoftwareFolder() / "bin"; }
  fs::path Probe() const { return ProgramFolder() / "probe"; }
  fs::path LogFile() const { return ProgramFolder() / "Logs" / "kvxError.log"; }

  void EnableLogging() const {
    test::WriteFile(ProgramFolder() / "Host" / "Ledgrox.ini",
                    "[System Configuration]\r\nLOG_EXCEPTIONS=True\r\n");
  }

  Outcome Run(const std::string& arguments) const {
    Outcome outcome;
    FILE* pipe = popen(("'" + Probe().string() + "' " + arguments).c_str(), "r");
    if (!pipe) return outcome;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) outcome.out += buffer;
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(LogFile(), std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string MissingLibraryLine() const {
    return "Error - Die Pfadbibliothek " + (SoftwareFolder() / platform::kPathLibraryName).string() +
           " wurde nicht gefunden. \r";
  }

  test::TempDir dir_;
  ScopedEnv user_config_env_;
  ScopedEnv library_env_;
  ScopedEnv program_data_env_;
};

TEST_F(NoPathLibraryTest, MissingPathLibraryIsLoggedOnceBesideTheProgram) {
  EnableLogging();
  const auto outcome = Run("config-path");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "\n");
  EXPECT_THAT(LogLines(),
              ElementsAre(EndsWith(MissingLibraryLine()), EndsWith("Error - Paths.dll not found! \r")));
}

TEST_F(NoPathLibraryTest, ConfigFileWriterLogsAndThrows) {
  EnableLogging();
  EXPECT_EQ(Run("writer").status, 0);
  EXPECT_THAT(LogLines(),
              ElementsAre(EndsWith(MissingLibraryLine()), EndsWith("Error - Paths.dll not found! \r")));
}

TEST_F(NoPathLibraryTest, LookupFailureMadeForTheLoggerIsNotLogged) {
  EnableLogging();
  EXPECT_EQ(Run("log 'Verbindung verloren'").status, 0);
  EXPECT_THAT(LogLines(), ElementsAre(EndsWith("Error - Verbindung verloren \r")));
}

TEST_F(NoPathLibraryTest, PathsFallBackToTheProgramsFolder) {
  EnableLogging();
  const auto outcome = Run("paths");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out,
            ProgramFolder().string() + "\n" + LogFile().string() + "\nWebshop/ImportFiles/Amazon/\n");
  // programmDataPath logs its failed lookup; LogFileName and AmazonPath do not.
  EXPECT_THAT(LogLines(), ElementsAre(EndsWith(MissingLibraryLine())));
}

TEST_F(NoPathLibraryTest, UnloadablePathLibraryIsLogged) {
  EnableLogging();
  test::WriteFile(SoftwareFolder() / platform::kPathLibraryName, "no library");
  EXPECT_EQ(Run("lookup").status, 0);
  EXPECT_THAT(LogLines(), ElementsAre(::testing::HasSubstr("konnte nicht geladen werden")));
}

TEST_F(NoPathLibraryTest, PathLibraryInTheSoftwareFolderIsUsed) {
  fs::copy_file(KANVIO_PATHS_LIBRARY_FILE, SoftwareFolder() / platform::kPathLibraryName);
  ScopedEnv program_data("KANVIO_PROGRAMDATA", (dir_ / "ProgramData").string());
  const auto outcome = Run("paths");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, (dir_ / "ProgramData").string() + "\n" +
                             (dir_ / "ProgramData/Logs/kvxError.log").string() + "\n" +
                             (dir_ / "ProgramData/Webshop/ImportFiles/Amazon/").string() + "\n");
}

}  // namespace
}  // namespace kanvio
