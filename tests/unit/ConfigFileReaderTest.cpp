#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "HostFolders.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::HostFolders;
using test::ScopedEnv;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

void WriteGenerell(const HostFolders& host, const std::string& children) {
  WriteFile(host.ConfigFile(),
            "<marlixKanvioConfig><generell>" + children + "</generell><shops/></marlixKanvioConfig>");
}

TEST(ConfigFileReaderTest, MissingFileIsCreatedAsTheBasicFile) {
  HostFolders host;
  EXPECT_TRUE(ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting"));
  ASSERT_TRUE(fs::exists(host.ConfigFile()));
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 10);  // not upgraded
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"), "");
  EXPECT_TRUE(ConfigFileReader::GetValueFromShop("strato", "articleimport", "importAttributes"));
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({"shops", "ebay"}));
}

TEST(ConfigFileReaderTest, ExistenceCheckDoesNotCreateTheFile) {
  HostFolders host;
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({"generell"}));
  EXPECT_FALSE(fs::exists(host.ConfigFile()));
}

TEST(ConfigFileReaderTest, ValuesOfTheCurrentFile) {
  HostFolders host;
  ConfigFileWriter writer;
  EXPECT_TRUE(ConfigFileReader::GetValueFromShop("strato", "order", "isPaid"));
  EXPECT_FALSE(ConfigFileReader::GetValueFromShop("strato", "order", "isInProcess"));
  EXPECT_TRUE(ConfigFileReader::GetValueFromShop("amazon", "order", "unshipped"));
  EXPECT_TRUE(ConfigFileReader::GetValueFromShop("ebay", "PaidStatusCode", "Paid"));
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 100);
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"), "Tls12,Tls11,Tls");
  EXPECT_TRUE(
      ConfigFileReader::DoesConfigValueExisits({"shops", "ebay", "formatting", "useShippingAsMainAdress"}));
  EXPECT_TRUE(ConfigFileReader::DoesConfigValueExisits({}));
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({"shops", "strato", "formatting"}));
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({"marlixKanvioConfig"}));
}

TEST(ConfigFileReaderTest, ElementsAreFoundAtAnyDepthAndTheFirstMatchWins) {
  HostFolders host;
  WriteFile(host.ConfigFile(),
            "<marlixKanvioConfig><shops><strato><x><order><y><isPaid>false</isPaid></y></order></x>"
            "<order><isPaid>true</isPaid></order></strato></shops>"
            "<generell><a><PackageSplittingAmount>7</PackageSplittingAmount></a>"
            "<PackageSplittingAmount>8</PackageSplittingAmount></generell></marlixKanvioConfig>");
  EXPECT_FALSE(ConfigFileReader::GetValueFromShop("strato", "order", "isPaid"));
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 7);
}

TEST(ConfigFileReaderTest, ExistenceCheckFollowsEveryElementOfAName) {
  HostFolders host;
  WriteFile(host.ConfigFile(),
            "<marlixKanvioConfig><shops><ebay><formatting><useShippingAsMainAdress/></formatting>"
            "<formatting><useShippingAsPaymentAdress/></formatting></ebay></shops></marlixKanvioConfig>");
  EXPECT_TRUE(ConfigFileReader::DoesConfigValueExisits(
      {"shops", "ebay", "formatting", "useShippingAsPaymentAdress"}));
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({"ebay", "formatting"}));
}

TEST(ConfigFileReaderTest, IntegersReadAsDotNetParsesThem) {
  const struct {
    const char* text;
    int expected;
    bool logged;
  } cases[] = {
      {"250", 250, false},      {" 42\t", 42, false},
      {"+7", 7, false},         {"-5", -5, false},
      {"abc", 10, true},        {"", 10, true},
      {"1.5", 10, true},        {"1 000", 10, true},
      {"+-3", 10, true},        {"2147483647", 2147483647, false},
      {"2147483648", 10, true},
  };
  for (const auto& c : cases) {
    HostFolders host;
    host.EnableLogging();
    WriteGenerell(host, std::string("<PackageSplittingAmount>") + c.text + "</PackageSplittingAmount>");
    EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), c.expected)
        << c.text;
    EXPECT_EQ(host.LogLines().size(), c.logged ? 1u : 0u) << c.text;
  }
}

TEST(ConfigFileReaderTest, BooleansReadAsDotNetParsesThem) {
  const struct {
    const char* text;
    bool expected;
    bool logged;
  } cases[] = {
      {"true", true, false},      {"True", true, false},   {"TRUE", true, false},
      {" true\r\n", true, false}, {"False", false, false}, {"1", false, true},
      {"yes", false, true},       {"", false, true},       {"tru e", false, true},
  };
  for (const auto& c : cases) {
    HostFolders host;
    host.EnableLogging();
    WriteGenerell(host, std::string("<PackageSplitting>") + c.text + "</PackageSplitting>");
    EXPECT_EQ(ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting"), c.expected) << c.text;
    EXPECT_EQ(host.LogLines().size(), c.logged ? 1u : 0u) << c.text;
  }
}

TEST(ConfigFileReaderTest, NotANumberIsLoggedAndReadsTen) {
  HostFolders host;
  host.EnableLogging();
  WriteGenerell(host, "<PackageSplittingAmount>hundert</PackageSplittingAmount>");
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 10);
  EXPECT_THAT(host.LogLines(),
              ElementsAre(HasSubstr("Error - Der Wert \"hundert\" von "
                                    "marlixKanvioConfig//generell//PackageSplittingAmount ist kein "
                                    "ganzzahliger Wert.")));
}

TEST(ConfigFileReaderTest, MissingElementGivesTheFallbackWithoutLogging) {
  HostFolders host;
  host.EnableLogging();
  WriteGenerell(host, "");
  EXPECT_FALSE(ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting"));
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 10);
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"), "");
  EXPECT_FALSE(ConfigFileReader::GetValueFromShop("strato", "order", "isPaid"));
  EXPECT_THAT(host.LogLines(), IsEmpty());
}

TEST(ConfigFileReaderTest, FileThatIsNotXmlIsLoggedAndGivesEveryFallback) {
  HostFolders host;
  host.EnableLogging();
  WriteFile(host.ConfigFile(), "[Strato]\nisPaid=true\n");
  EXPECT_FALSE(ConfigFileReader::GetValueFromShop("strato", "order", "isPaid"));
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 10);
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"), "");
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({}));
  const auto log = host.LogLines();
  ASSERT_EQ(log.size(), 4u);
  for (const auto& line : log) EXPECT_THAT(line, HasSubstr("kein gültiges XML"));
}

TEST(ConfigFileReaderTest, ByteOrderMarkAndDeclarationAreAccepted) {
  HostFolders host;
  WriteFile(
      host.ConfigFile(),
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<marlixKanvioConfig>\r\n  <generell>\r\n"
      "    <SecurityProtocols>Tls12</SecurityProtocols>\r\n  </generell>\r\n</marlixKanvioConfig>\r\n");
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"), "Tls12");
}

TEST(ConfigFileReaderTest, WithoutPathLibraryEveryReadGivesItsFallback) {
  HostFolders host;
  ScopedEnv library("KANVIO_PATHS_LIBRARY", (host.ProgramData() / "missing.so").string());
  EXPECT_FALSE(ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting"));
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount"), 10);
  EXPECT_EQ(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"), "");
  EXPECT_FALSE(ConfigFileReader::DoesConfigValueExisits({}));
}

}  // namespace
}  // namespace kanvio
