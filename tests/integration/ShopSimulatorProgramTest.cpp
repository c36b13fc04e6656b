#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// The simulator's program, started the way the demo starts it.
class ShopSimulatorProgram {
 public:
  explicit ShopSimulatorProgram(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), std::string(KANVIO_BIN_DIR) + "/kanvio-shopsim");
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    first_line_ = ReadLine(out[0]);
    close(out[0]);
  }

  ~ShopSimulatorProgram() {
    if (pid_ > 0) Terminate();
  }

  const std::string& FirstLine() const { return first_line_; }

  int Port() const {
    const auto colon = first_line_.rfind(':');
    return colon == std::string::npos ? -1 : std::stoi(first_line_.substr(colon + 1));
  }

  // The exit status after SIGTERM, or -1.
  int Terminate() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  static std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  pid_t pid_ = -1;
  std::string first_line_;
};

TEST(ShopSimulatorProgramTest, AnnouncesItsPortAndTakesSwitchesFromTheCommandLine) {
  ShopSimulatorProgram program({"--port", "0", "--base-path", "/demo", "--function-off", "status_aendern",
                                "--fail", "sync:check_open_orders=500:Datenbank weg"});
  ASSERT_EQ(program.FirstLine().rfind("listening on 127.0.0.1:", 0), 0u) << program.FirstLine();

  httplib::Client client("127.0.0.1", program.Port());
  const auto check = client.Get(
      "/demo/vd_osc_val.php?function_name=status_aendern&CallName=check_function&shp_system=xaran");
  ASSERT_TRUE(check);
  EXPECT_EQ(check->body, "0");
  const auto count = client.Get("/demo/vd_osc_sync.php?shp_system=xaran&sync=check_open_orders");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->status, 500);
  EXPECT_EQ(count->body, "Datenbank weg");
  EXPECT_EQ(program.Terminate(), 0);
}

TEST(ShopSimulatorProgramTest, OffersTheImportLimitAndFailsTheNamedPage) {
  ShopSimulatorProgram program(
      {"--articles-import-limit", "2", "--fail", "rest:getArticles:offset=2=500:Seite 2 fehlt"});
  httplib::Client client("127.0.0.1", program.Port());
  const auto configuration = client.Get("/MarlixKanvioVD/getPluginConfiguration");
  ASSERT_TRUE(configuration);
  EXPECT_NE(configuration->body.find("<ArticlesImportLimit>2</ArticlesImportLimit>"), std::string::npos)
      << configuration->body;
  for (const std::string offset : {"0", "2", "4"}) {
    const auto page = client.Get("/MarlixKanvioVD/getArticles?offset=" + offset + "&limit=2");
    ASSERT_TRUE(page) << offset;
    EXPECT_EQ(page->status, offset == "2" ? 500 : 200) << offset;
    if (offset == "2") {
      EXPECT_EQ(page->body, "Seite 2 fehlt");
    }
  }
  EXPECT_EQ(program.Terminate(), 0);
}

TEST(ShopSimulatorProgramTest, RejectsAnUnreadableFailure) {
  ShopSimulatorProgram program({"--fail", "sync=teapot"});
  EXPECT_EQ(program.FirstLine(), "");
  EXPECT_NE(program.Terminate(), 0);
}

}  // namespace
