#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "HostFolders.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "support/Error.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::HostFolders;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(LoggerTest, NothingIsWrittenUnlessTheHostIniEnablesIt) {
  for (const char* value : {"", "false", "1", "yes", "truee"}) {
    HostFolders host;
    host.WriteHostIni(value);
    Logger::LogError("Fehler");
    EXPECT_FALSE(fs::exists(host.ProgramData() / "Logs")) << value;
  }
  HostFolders without_ini;
  Logger::LogError("Fehler");
  EXPECT_FALSE(fs::exists(without_ini.ProgramData() / "Logs"));
}

TEST(LoggerTest, TrueInAnyLetterCaseEnablesLoggingAndCreatesTheLogsFolder) {
  for (const char* value : {"TRUE", "true", "True", " tRuE "}) {
    HostFolders host;
    host.WriteHostIni(value);
    Logger::LogInfo("Hallo");
    EXPECT_EQ(host.LogLines().size(), 1u) << value;
  }
}

TEST(LoggerTest, LineIsGermanDateTimeLevelMessageBlankCrLf) {
  HostFolders host;
  host.EnableLogging();
  Logger::LogError("Die Verbindung schlug fehl: Zeitüberschreitung");
  const std::regex line(
      R"(^(\d{2})\.(\d{2})\.(\d{4}) (\d{2}):(\d{2}):(\d{2}): Error - Die Verbindung schlug fehl: Zeitüberschreitung \r\n$)");
  std::smatch m;
  const std::string log = host.Log();
  ASSERT_TRUE(std::regex_match(log, m, line)) << log;
  EXPECT_GE(std::stoi(m[1]), 1);
  EXPECT_LE(std::stoi(m[1]), 31);
  EXPECT_LE(std::stoi(m[2]), 12);
  EXPECT_GE(std::stoi(m[3]), 2024);
  EXPECT_LE(std::stoi(m[4]), 23);
}

TEST(LoggerTest, LevelsAndFailureMessagesAreAppendedInOrder) {
  HostFolders host;
  host.EnableLogging();
  Logger::LogError(Error("kaputt"));
  Logger::LogWarning("Achtung");
  Logger::LogInfo("Hinweis");
  Logger::LogError("Fehler");
  const auto lines = host.LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_THAT(lines[0], ::testing::EndsWith(": Error - kaputt "));
  EXPECT_THAT(lines[1], ::testing::EndsWith(": Warning - Achtung "));
  EXPECT_THAT(lines[2], ::testing::EndsWith(": Info - Hinweis "));
  EXPECT_THAT(lines[3], ::testing::EndsWith(": Error - Fehler "));
}

TEST(LoggerTest, SecretsAreMaskedInEveryMessage) {
  HostFolders host;
  host.EnableLogging();
  Settings settings;
  settings.set_WEBSERVICE_PASSWORD("Geheim!42");
  settings.set_ebay_token("AgAAAA**token");
  settings.set_amazon_secrectAccessKey("wJalrXUtnFEMI");
  settings.Save();
  Logger::LogError("Anmeldung mit Geheim!42 an https://shop/?p=Geheim!42 fehlgeschlagen");
  Logger::LogWarning("eBay: AgAAAA**token abgelaufen");
  Logger::LogError(Error("Signatur mit wJalrXUtnFEMI falsch"));
  EXPECT_THAT(
      host.LogLines(),
      ElementsAre(HasSubstr("Error - Anmeldung mit *** an https://shop/?p=*** fehlgeschlagen"),
                  HasSubstr("Warning - eBay: *** abgelaufen"), HasSubstr("Error - Signatur mit *** falsch")));
}

// A secret of one to three characters cannot be told from ordinary text:
// masking the password "e" turned every "Daten" into "Dat***i".
TEST(LoggerTest, OnlySecretsOfFourCharactersOrMoreAreMasked) {
  struct Case {
    const char* password;
    const char* message;
    const char* line;
  };
  const Case cases[] = {{"e", "Daten geben", "Error - Daten geben "},
                        {"abc", "abc Daten", "Error - abc Daten "},
                        {"abcd", "abcd Daten", "Error - *** Daten "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password);
    HostFolders host;
    host.EnableLogging();
    Settings settings;
    settings.set_WEBSERVICE_PASSWORD(c.password);
    settings.Save();
    Logger::LogError(c.message);
    EXPECT_THAT(host.LogLines(), ElementsAre(::testing::EndsWith(c.line)));
  }
  HostFolders host;
  host.EnableLogging();
  Logger::LogInfo("Partnerkennung PLACEHOLDER2");  // the deployment's pass text for the partner endpoint
  EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr("Info - Partnerkennung *** ")));
}

TEST(LoggerTest, EmptyAndDefaultSecretsMaskNothing) {
  HostFolders host;
  host.EnableLogging();
  Logger::LogInfo(R"(Wert "" leer)");  // "" is the default of amazon_secrectAccessKey
  EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr(R"(Info - Wert "" leer )")));
}

TEST(LoggerTest, WriteFailureReachesTheCaller) {
  HostFolders host;
  host.EnableLogging();
  fs::create_directories(host.LogFile());  // a folder where the file should be
  EXPECT_THROW(Logger::LogError("x"), std::exception);
  fs::remove_all(host.ProgramData() / "Logs");
  test::WriteFile(host.ProgramData() / "Logs", "");  // a file where the folder should be
  EXPECT_THROW(Logger::LogError("x"), std::exception);
}

TEST(LoggerTest, SessionFindsTheSwitchOnceAndOtherThreadsAsBefore) {
  HostFolders host;
  {
    const Logger::Session session;
    host.EnableLogging();  // before the session's first need: found
    Logger::LogInfo("eins");
    host.WriteHostIni("false");  // the session keeps what it found
    EXPECT_TRUE(Logger::IsEnabled());
    Logger::LogInfo("zwei");
    std::thread([] { Logger::LogInfo("fremder Faden"); }).join();  // outside the session: asks anew
    {
      const Logger::Session inner;
      Logger::LogInfo("drei");
    }
    Logger::LogInfo("vier");
  }
  Logger::LogInfo("nach der Sitzung");
  EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr("Info - eins"), HasSubstr("Info - zwei"),
                                           HasSubstr("Info - drei"), HasSubstr("Info - vier")));
  const Logger::Session off;
  Logger::LogInfo("aus");
  host.EnableLogging();
  EXPECT_FALSE(Logger::IsEnabled());
}

TEST(LoggerTest, LoggingFromManyThreadsKeepsLinesWhole) {
  HostFolders host;
  host.EnableLogging();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 10; ++i)
        Logger::LogInfo("Faden " + std::to_string(t) + " Zeile " + std::to_string(i));
    });
  for (auto& thread : threads) thread.join();
  const auto lines = host.LogLines();
  ASSERT_EQ(lines.size(), 40u);
  for (const auto& line : lines)
    EXPECT_THAT(line, ::testing::MatchesRegex(".*: Info - Faden [0-3] Zeile [0-9] "));
}

}  // namespace
}  // namespace kanvio
