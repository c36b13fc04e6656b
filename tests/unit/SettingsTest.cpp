#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <limits>
#include <optional>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "HostFolders.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "config/SettingsFile.h"
#include "support/Error.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;

// A text key reached through its accessors, so that tests can loop over keys.
struct TextKey {
  std::string (Settings::*get)() const;
  void (Settings::*set)(const std::string&);
};
#define KANVIO_TEXT_KEY(name) \
  TextKey { &Settings::name, &Settings::set_##name }

// Runs body in a forked child, which exits with 0 when body returns true and
// with 1 otherwise (also when it throws). The child never returns into gtest.
pid_t Spawn(const std::function<bool()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads up to count bytes from fd; fewer only at the end of the pipe.
int ReadProgress(int fd, int count) {
  int seen = 0;
  char buffer[256];
  while (seen < count) {
    const auto n = read(fd, buffer, std::min<std::size_t>(sizeof buffer, count - seen));
    if (n <= 0) break;
    seen += static_cast<int>(n);
  }
  return seen;
}

// Saves rounds times from fresh views: the counter key gets the round number
// and one key of own, in turn, the text "<tag>-<round>". After every save a
// fresh view must still show the counter and every own key as last saved,
// whatever other writers saved meanwhile.
bool SaveRounds(const TextKey& counter, const std::vector<TextKey>& own, int rounds, const std::string& tag) {
  std::vector<std::string> last(own.size());
  for (int round = 0; round < rounds; ++round) {
    const auto index = static_cast<std::size_t>(round) % own.size();
    last[index] = fmt::format("{}-{}", tag, round);
    Settings view;
    (view.*counter.set)(std::to_string(round));
    (view.*own[index].set)(last[index]);
    view.Save();

    const Settings check;
    if ((check.*counter.get)() != std::to_string(round)) return false;
    for (std::size_t i = 0; i < own.size(); ++i)
      if (!last[i].empty() && (check.*own[i].get)() != last[i]) return false;
  }
  return true;
}

class SettingsTest : public ::testing::Test {
 protected:
  fs::path StoreFolder() const { return dir_ / "store"; }
  fs::path Store() const { return StoreFolder() / "user.config"; }
  fs::path Deployment() const { return dir_ / "marlixKanvio.config"; }

  void WriteStore(const SettingsFile::Values& values) const {
    test::WriteFile(Store(), SettingsFile::Format(values));
  }
  SettingsFile::Values StoredValues() const {
    auto values = SettingsFile::Parse(test::ReadFile(Store()));
    EXPECT_TRUE(values.has_value()) << test::ReadFile(Store());
    return values.value_or(SettingsFile::Values{});
  }
  std::vector<fs::path> BrokenCopies() const {
    static const std::regex kName(R"(user\.config\.broken-\d{8}-\d{6}(-\d+)?)");
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(StoreFolder()))
      if (std::regex_match(entry.path().filename().string(), kName)) found.push_back(entry.path());
    return found;
  }

  test::TempDir dir_;
  test::ScopedEnv user_folder_{"KANVIO_USER_CONFIG_DIR", StoreFolder().string()};
  test::ScopedEnv deployment_{"KANVIO_DEPLOYMENT_CONFIG", Deployment().string()};
};

TEST_F(SettingsTest, FreshStoreReadsTheDefaultsOfTheTable) {
  const Settings view;
  EXPECT_EQ(view.CONFIG_PATH(), "Webshop/Config/kvx.config");
  EXPECT_EQ(view.ebay_site(), 0);
  EXPECT_EQ(view.amazon_secrectAccessKey(), "\"\"");
  EXPECT_EQ(view.ebay_importedOrders(), "\"\"");
  EXPECT_EQ(view.WEBSERVICE_URL(), "");
  EXPECT_TRUE(view.strato_doNotImportClosedOrders());
  EXPECT_FALSE(view.ebay_sandbox());
  EXPECT_EQ(view.WEBSERVICE_STOCKVALUE(), 0.0f);
  EXPECT_EQ(view.amazon_dateFrom(), LocalDateTime{});
  EXPECT_EQ(view.amazon_validationkey(), KANVIO_AMAZON_VALIDATIONKEY);
  EXPECT_EQ(view.marlixKanvio_ShopConfigRef_ShopConfigService(), "http://localhost/epages/Site.soap");
  EXPECT_FALSE(fs::exists(StoreFolder())) << "reading must not create the store";
}

TEST_F(SettingsTest, ValueSetWithoutSavingIsLost) {
  {
    Settings view;
    view.set_WEBSERVICE_URL("https://shop.example");
    EXPECT_EQ(view.WEBSERVICE_URL(), "https://shop.example");
  }
  EXPECT_EQ(Settings().WEBSERVICE_URL(), "");
}

TEST_F(SettingsTest, SavedValuesOfEveryTypeComeBackUnchanged) {
  const LocalDateTime date{2024, 2, 29, 13, 45, 7};
  const std::vector<float> floats = {0.1f,
                                     -3.5e-7f,
                                     1e30f,
                                     16777216.0f,
                                     std::numeric_limits<float>::max(),
                                     std::numeric_limits<float>::denorm_min()};
  for (float number : floats) {
    Settings view;
    view.set_ebay_sandbox(true);
    view.set_strato_doNotImportClosedOrders(false);
    view.set_ebay_site(std::numeric_limits<std::int32_t>::min());
    view.set_WEBSERVICE_STOCKVALUE(number);
    view.set_ebay_dateFrom(date);
    view.Save();

    const Settings later;
    EXPECT_TRUE(later.ebay_sandbox());
    EXPECT_FALSE(later.strato_doNotImportClosedOrders());
    EXPECT_EQ(later.ebay_site(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(later.WEBSERVICE_STOCKVALUE(), number);
    EXPECT_EQ(later.ebay_dateFrom(), date);
  }
  EXPECT_EQ(StoredValues().at("ebay_sandbox"), "True");
}

TEST_F(SettingsTest, TextsComeBackByteForByte) {
  const std::vector<std::string> texts = {
      "",
      " ",
      "  padded  ",
      "a\nb",
      "a\r\nb\r",
      "\t",
      "<&>\"'",
      "Händler Straße €",
      "\"\"",
      "]]>",
      "C:\\Programme\\Webshop\\orders.xml",
  };
  for (const auto& text : texts) {
    Settings view;
    view.set_WEBSERVICE_PASSWORD(text);
    view.Save();
    EXPECT_EQ(Settings().WEBSERVICE_PASSWORD(), text);
  }
}

TEST_F(SettingsTest, EmptyTextIsStoredAndReplacesEarlierValueAndDefault) {
  Settings first;
  first.set_WEBSERVICE_RESULT_FILEPATH("C:\\orders.xml");
  first.set_WEBSERVICE_INPUTORDERS_FILEPATH("C:\\orders.xml");
  first.Save();

  Settings second;
  second.set_WEBSERVICE_RESULT_FILEPATH("");
  second.set_WEBSERVICE_INPUTORDERS_FILEPATH("");
  second.set_amazon_secrectAccessKey("");
  second.Save();

  const Settings later;
  EXPECT_EQ(later.WEBSERVICE_RESULT_FILEPATH(), "");
  EXPECT_EQ(later.WEBSERVICE_INPUTORDERS_FILEPATH(), "");
  EXPECT_EQ(later.amazon_secrectAccessKey(), "");
  EXPECT_EQ(StoredValues().count("amazon_secrectAccessKey"), 1u);
}

TEST_F(SettingsTest, SavedValueIsSeenByLaterViewOnAnotherThread) {
  std::thread([] {
    Settings view;
    view.set_WEBSERVICE_METHODE("GET_ORDERS");
    view.Save();
  }).join();
  EXPECT_EQ(Settings().WEBSERVICE_METHODE(), "GET_ORDERS");

  Settings view;
  view.set_WEBSERVICE_METHODE("SET_ARTICLES");
  view.Save();
  std::string seen;
  std::thread([&seen] { seen = Settings().WEBSERVICE_METHODE(); }).join();
  EXPECT_EQ(seen, "SET_ARTICLES");
}

TEST_F(SettingsTest, ViewsSavingDifferentKeysDoNotUndoEachOther) {
  Settings a;
  Settings b;
  a.set_WEBSERVICE_URL("https://a.example");
  b.set_WEBSERVICE_LOGIN("b");
  a.Save();
  b.Save();
  EXPECT_EQ(b.WEBSERVICE_URL(), "https://a.example") << "after Save the view shows the merged store";
  EXPECT_EQ(a.WEBSERVICE_LOGIN(), "") << "a view does not change by itself";

  // A later save of a writes only what a set since its last save.
  b.set_WEBSERVICE_URL("https://b.example");
  b.Save();
  a.set_ebay_site(77);
  a.Save();

  const Settings later;
  EXPECT_EQ(later.WEBSERVICE_URL(), "https://b.example");
  EXPECT_EQ(later.WEBSERVICE_LOGIN(), "b");
  EXPECT_EQ(later.ebay_site(), 77);
}

TEST_F(SettingsTest, ThreadsSavingDifferentKeysLoseNothing) {
  const TextKey counter_a = KANVIO_TEXT_KEY(WEBSERVICE_METHODE);
  const TextKey counter_b = KANVIO_TEXT_KEY(ebay_username);
  const std::vector<TextKey> keys_a = {KANVIO_TEXT_KEY(WEBSERVICE_URL), KANVIO_TEXT_KEY(WEBSERVICE_LOGIN)};
  const std::vector<TextKey> keys_b = {KANVIO_TEXT_KEY(ebay_token), KANVIO_TEXT_KEY(ebay_parameter)};
  bool ok_b = false;
  std::thread other([&] { ok_b = SaveRounds(counter_b, keys_b, 100, "b"); });
  EXPECT_TRUE(SaveRounds(counter_a, keys_a, 100, "a"));
  other.join();
  EXPECT_TRUE(ok_b);
}

TEST_F(SettingsTest, StoredTextsThatAreNotOfTheKeysTypeReadAsDefault) {
  struct Case {
    const char* key;
    const char* stored;
    std::function<bool(const Settings&)> expected;
  };
  const std::vector<Case> cases = {
      {"ebay_site", "12abc", [](const Settings& s) { return s.ebay_site() == 0; }},
      {"ebay_site", "", [](const Settings& s) { return s.ebay_site() == 0; }},
      {"ebay_site", "2147483648", [](const Settings& s) { return s.ebay_site() == 0; }},
      {"ebay_site", " 77\n", [](const Settings& s) { return s.ebay_site() == 77; }},
      {"ebay_site", "-5", [](const Settings& s) { return s.ebay_site() == -5; }},
      {"ebay_sandbox", "TRUE", [](const Settings& s) { return s.ebay_sandbox(); }},
      {"ebay_sandbox", "yes", [](const Settings& s) { return !s.ebay_sandbox(); }},
      {"SPLIT_PACKAGES", "fAlSe", [](const Settings& s) { return !s.SPLIT_PACKAGES(); }},
      {"SPLIT_PACKAGES", "0", [](const Settings& s) { return s.SPLIT_PACKAGES(); }},
      {"WEBSERVICE_STOCKVALUE", "1,5", [](const Settings& s) { return s.WEBSERVICE_STOCKVALUE() == 0.0f; }},
      {"WEBSERVICE_STOCKVALUE", "1.5", [](const Settings& s) { return s.WEBSERVICE_STOCKVALUE() == 1.5f; }},
      {"WEBSERVICE_STOCKVALUE", "1e99", [](const Settings& s) { return s.WEBSERVICE_STOCKVALUE() == 0.0f; }},
      {"amazon_dateFrom", "gestern",
       [](const Settings& s) { return s.amazon_dateFrom() == LocalDateTime{}; }},
      {"amazon_dateFrom", "2023-13-01T00:00:00",
       [](const Settings& s) { return s.amazon_dateFrom() == LocalDateTime{}; }},
      {"amazon_dateFrom", "2023-12-01T08:30:00",
       [](const Settings& s) { return s.amazon_dateFrom() == LocalDateTime{2023, 12, 1, 8, 30, 0}; }},
  };
  for (const auto& c : cases) {
    WriteStore({{c.key, c.stored}});
    EXPECT_TRUE(c.expected(Settings())) << c.key << " stored as \"" << c.stored << "\"";
  }
  EXPECT_TRUE(BrokenCopies().empty()) << "a bad value is not a broken store";
}

TEST_F(SettingsTest, UserStoreCannotChangeApplicationValuesAndKeepsUnknownKeys) {
  WriteStore({{"CONFIG_PATH", "elsewhere.config"}, {"FUTURE_KEY", "from a newer version"}});
  Settings view;
  EXPECT_EQ(view.CONFIG_PATH(), "Webshop/Config/kvx.config");
  view.set_ERP_SYSTEM("vd");
  view.Save();
  const auto stored = StoredValues();
  EXPECT_EQ(stored.at("FUTURE_KEY"), "from a newer version");
  EXPECT_EQ(stored.at("ERP_SYSTEM"), "vd");
}

TEST_F(SettingsTest, DeploymentFileOverridesApplicationValuesOnly) {
  test::WriteFile(Deployment(), SettingsFile::Format({{"CONFIG_PATH", "Shop/kvx.config"},
                                                      {"amazon_validationkey", "ZGVwbG95ZWQ="},
                                                      {"WEBSERVICE_URL", "https://deployment.example"}}));
  WriteStore({{"amazon_validationkey", "from the user"}});
  const Settings view;
  EXPECT_EQ(view.CONFIG_PATH(), "Shop/kvx.config");
  EXPECT_EQ(view.amazon_validationkey(), "ZGVwbG95ZWQ=");
  EXPECT_EQ(view.WEBSERVICE_URL(), "") << "user-scope keys in the deployment file are ignored";
  EXPECT_EQ(view.SetOrderStatusList(), "InProcessOn");
}

TEST_F(SettingsTest, BrokenDeploymentFileIsIgnoredAndLeftInPlace) {
  test::WriteFile(Deployment(), "<settings><setting name=\"CONFIG_PATH\">x");
  EXPECT_EQ(Settings().CONFIG_PATH(), "Webshop/Config/kvx.config");
  EXPECT_TRUE(fs::exists(Deployment()));
}

TEST_F(SettingsTest, BrokenStoreIsMovedAsideAndDefaultsApply) {
  const std::vector<std::string> broken = {
      "",
      "garbage",
      "<?xml version=\"1.0\"?><settings><setting name=\"WEBSERVICE_URL\">https://sh",
      "<configuration><setting name=\"WEBSERVICE_URL\">x</setting></configuration>",
      std::string("\0\0\0\0", 4),
  };
  std::set<fs::path> copies;
  for (const auto& content : broken) {
    test::WriteFile(Store(), content);
    EXPECT_EQ(Settings().WEBSERVICE_URL(), "");
    EXPECT_FALSE(fs::exists(Store()));
    const auto found = BrokenCopies();
    ASSERT_EQ(found.size(), copies.size() + 1) << "each broken store gets a name of its own";
    for (const auto& copy : found) {
      if (copies.insert(copy).second) {
        EXPECT_EQ(test::ReadFile(copy), content);
      }
    }
  }
  Settings view;
  view.set_WEBSERVICE_URL("https://shop.example");
  view.Save();
  EXPECT_EQ(Settings().WEBSERVICE_URL(), "https://shop.example");
}

TEST_F(SettingsTest, StoreBrokenAfterTheViewOpenedIsMovedAsideBySave) {
  Settings view;
  test::WriteFile(Store(), "<settings>");
  view.set_ebay_site(16);
  view.Save();
  EXPECT_EQ(StoredValues(), (SettingsFile::Values{{"ebay_site", "16"}}));
  ASSERT_EQ(BrokenCopies().size(), 1u);
  EXPECT_EQ(test::ReadFile(BrokenCopies().front()), "<settings>");
}

TEST_F(SettingsTest, SaveThatCannotWriteThrowsAndKeepsTheViewsValues) {
  test::WriteFile(dir_ / "a-file", "not a folder");
  test::ScopedEnv folder("KANVIO_USER_CONFIG_DIR", (dir_ / "a-file" / "store").string());
  Settings view;
  view.set_WEBSERVICE_URL("https://shop.example");
  EXPECT_THROW(view.Save(), Error);
  EXPECT_EQ(view.WEBSERVICE_URL(), "https://shop.example");
}

TEST_F(SettingsTest, StoreIsAnXmlDocumentOfNamedSettings) {
  Settings view;
  view.set_ebay_sandbox(true);
  view.set_WEBSERVICE_LOGIN("Müller & Söhne");
  view.Save();
  const auto document = test::ReadFile(Store());
  EXPECT_THAT(document, ::testing::StartsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
  EXPECT_THAT(document,
              ::testing::HasSubstr("<setting name=\"WEBSERVICE_LOGIN\">Müller &amp; Söhne</setting>"));
  EXPECT_THAT(document, ::testing::HasSubstr("<setting name=\"ebay_sandbox\">True</setting>"));
}

// A deployment replaces them with real values of the same form; code that
// checks the form must accept the placeholders too.
TEST_F(SettingsTest, DeploymentPlaceholdersHaveTheFormOfTheRealValues) {
  std::string ascii;
  for (char c = 0x21; c < 0x7F; ++c) ascii += c;
  const std::string upper_alnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const std::string base64 = upper_alnum + "abcdefghijklmnopqrstuvwxyz+/=";
  const Settings view;
  const struct {
    const char* key;
    std::string value;
    std::size_t length;
    const std::string& alphabet;
  } cases[] = {
      {"SecurityTokenPart1", view.SecurityTokenPart1(), 26, ascii},
      {"SecurityTokenPart2", view.SecurityTokenPart2(), 12, ascii},
      {"amazon_accessKeyId", view.amazon_accessKeyId(), 20, upper_alnum},
      {"amazon_validationkey", view.amazon_validationkey(), 128, base64},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.size(), c.length) << c.key;
    EXPECT_EQ(c.value.find_first_not_of(c.alphabet), std::string::npos) << c.key;
  }
}

// The store holds the shop password and the marketplace tokens: no other
// user of the machine may read it, whatever the umask, also when an older
// installation left it open.
TEST_F(SettingsTest, StoreAndItsFolderAreTheOwnersOnly) {
  struct Case {
    const char* name;
    std::optional<mode_t> folder;  // nullopt: the save creates it
    std::optional<mode_t> store;
    bool folder_narrowed;
    bool store_narrowed;
  };
  const Case cases[] = {
      {"fresh", std::nullopt, std::nullopt, false, false},
      {"left open", 0755, 0644, true, true},
      {"store readable by the group", 0700, 0640, false, true},
      {"already private", 0700, 0600, false, false},
  };
  const mode_t old_mask = umask(022);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::HostFolders host;
    host.EnableLogging();
    const test::TempDir dir;
    const fs::path folder = dir / "store";
    const fs::path store = folder / "user.config";
    const test::ScopedEnv store_folder("KANVIO_USER_CONFIG_DIR", folder.string());
    if (c.folder) {
      fs::create_directory(folder);
      ASSERT_EQ(chmod(folder.c_str(), *c.folder), 0);
    }
    if (c.store) {
      test::WriteFile(store, SettingsFile::Format({{"WEBSERVICE_LOGIN", "alt"}}));
      ASSERT_EQ(chmod(store.c_str(), *c.store), 0);
    }
    Settings view;
    view.set_WEBSERVICE_PASSWORD("Geheim!42");
    view.Save();
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(store).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    std::string names = c.folder_narrowed ? folder.string() : "";
    if (c.store_narrowed) names += (names.empty() ? "" : " und ") + store.string();
    const auto lines = host.LogLines();
    if (names.empty()) {
      EXPECT_TRUE(lines.empty()) << lines.front();
    } else {
      EXPECT_THAT(lines, ::testing::ElementsAre(::testing::HasSubstr(
                             ": Info - Die Einstellungen mit dem Shop-Passwort waren für andere Benutzer "
                             "zugänglich; die Zugriffsrechte von " +
                             names + " wurden auf den Eigentümer beschränkt.")));
    }
  }
  umask(old_mask);
}

// Only the store's own temporary files, and only those a minute old: a
// younger one may belong to a save that is still writing.
TEST_F(SettingsTest, SaveClearsWhatKilledSavesLeftOnceItIsAMinuteOld) {
  using std::chrono::minutes;
  const std::pair<const char*, minutes> stay[] = {{".user.config.4711.1.tmp", minutes(0)},
                                                  {".user.config.tmp", minutes(2)},
                                                  {".user.config.12.x.tmp", minutes(2)},
                                                  {".other.config.4711.0.tmp", minutes(2)},
                                                  {"user.config.broken-20240101-000000", minutes(2)}};
  const fs::path left = StoreFolder() / ".user.config.4711.0.tmp";
  fs::create_directories(StoreFolder());
  const auto now = fs::file_time_type::clock::now();
  test::WriteFile(left, "<settings><setting name=\"WEBSERVICE_PA");
  fs::last_write_time(left, now - minutes(2));
  for (const auto& [name, age] : stay) {
    test::WriteFile(StoreFolder() / name, "<settings>");
    fs::last_write_time(StoreFolder() / name, now - age);
  }
  Settings view;
  view.set_WEBSERVICE_URL("https://shop.example");
  view.Save();
  EXPECT_FALSE(fs::exists(left));
  for (const auto& [name, age] : stay) EXPECT_TRUE(fs::exists(StoreFolder() / name)) << name;
}

TEST_F(SettingsTest, KeyTableNamesEveryKeyOnceWithItsScope) {
  std::set<std::string> names;
  for (const auto& key : Settings::Keys()) EXPECT_TRUE(names.insert(key.name).second) << key.name;
  const auto find = [](std::string_view name) {
    for (const auto& key : Settings::Keys())
      if (name == key.name) return key;
    return Settings::Key{};
  };
  EXPECT_EQ(find("CONFIG_PATH").scope, Settings::Scope::Application);
  EXPECT_EQ(find("ebay_site").type, Settings::Type::Int);
  EXPECT_EQ(find("amazon_dateFrom").scope, Settings::Scope::User);
}

TEST_F(SettingsTest, TwoProcessesSavingDifferentKeysLoseNothing) {
  constexpr int kRounds = 500;
  const TextKey child_counter = KANVIO_TEXT_KEY(ebay_username);
  const std::vector<TextKey> child_keys = {KANVIO_TEXT_KEY(WEBSERVICE_URL), KANVIO_TEXT_KEY(WEBSERVICE_LOGIN),
                                           KANVIO_TEXT_KEY(WEBSERVICE_PASSWORD),
                                           KANVIO_TEXT_KEY(WEBSERVICE_SHOP), KANVIO_TEXT_KEY(ERP_SYSTEM)};
  const TextKey parent_counter = KANVIO_TEXT_KEY(amazon_merchantId);
  const std::vector<TextKey> parent_keys = {
      KANVIO_TEXT_KEY(amazon_marketplaceId), KANVIO_TEXT_KEY(amazon_language),
      KANVIO_TEXT_KEY(amazon_parameter), KANVIO_TEXT_KEY(ebay_token), KANVIO_TEXT_KEY(ebay_parameter)};

  const pid_t child = Spawn([&] { return SaveRounds(child_counter, child_keys, kRounds, "child"); });
  ASSERT_GT(child, 0);
  EXPECT_TRUE(SaveRounds(parent_counter, parent_keys, kRounds, "parent"));
  EXPECT_EQ(ExitCode(child), 0) << "the child saw one of its values undone";

  const Settings end;
  EXPECT_EQ((end.*child_counter.get)(), std::to_string(kRounds - 1));
  EXPECT_EQ((end.*parent_counter.get)(), std::to_string(kRounds - 1));
  const int first_of_last_cycle = kRounds - static_cast<int>(child_keys.size());
  for (std::size_t i = 0; i < child_keys.size(); ++i) {
    const int round = first_of_last_cycle + static_cast<int>(i);
    EXPECT_EQ((end.*child_keys[i].get)(), fmt::format("child-{}", round));
    EXPECT_EQ((end.*parent_keys[i].get)(), fmt::format("parent-{}", round));
  }
}

TEST_F(SettingsTest, SaveKilledHalfWayLeavesOldOrNewStore) {
  for (int attempt = 0; attempt < 6; ++attempt) {
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    const int first = attempt * 100000;
    // Each round stores a number and a long text derived from it, so a
    // half-written or mixed store would show.
    const auto text_for = [](int round) { return std::string(5000, static_cast<char>('a' + round % 26)); };
    const pid_t child = Spawn([&] {
      close(progress[0]);
      for (int round = first;; ++round) {
        Settings view;
        view.set_ebay_site(round);
        view.set_WEBSERVICE_URL(text_for(round));
        view.Save();
        if (write(progress[1], "+", 1) != 1) return false;
      }
    });
    ASSERT_GT(child, 0);
    close(progress[1]);
    const int wanted = 1 + attempt * 4;
    int saved = ReadProgress(progress[0], wanted);
    ASSERT_EQ(saved, wanted) << "the child stopped saving by itself";
    kill(child, SIGKILL);
    EXPECT_EQ(ExitCode(child), -1);
    saved += ReadProgress(progress[0], std::numeric_limits<int>::max());
    close(progress[0]);

    ASSERT_TRUE(SettingsFile::Parse(test::ReadFile(Store())).has_value());
    const Settings view;
    const int last_reported = first + saved - 1;
    EXPECT_THAT(view.ebay_site(), ::testing::AnyOf(last_reported, last_reported + 1));
    EXPECT_EQ(view.WEBSERVICE_URL(), text_for(view.ebay_site()));
  }
  EXPECT_TRUE(BrokenCopies().empty());
}

}  // namespace
}  // namespace kanvio
