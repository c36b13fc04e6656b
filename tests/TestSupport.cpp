#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/Environment.h"

namespace kanvio::test {

// create_directory reports whether it made the folder, so a name that
// another process took meanwhile is never shared.
TempDir::TempDir() {
  static std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::ostringstream name;
    name << "kanvio-test-" << std::hex << random();
    if (std::filesystem::create_directory(base / name.str())) {
      path_ = base / name.str();
      // Private, as a user's own folders are: a settings store saved here is not narrowed.
      std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_ = old;
  if (value) platform::SetEnvironment(name_, *value);
  else platform::UnsetEnvironment(name_);
}

ScopedEnv::~ScopedEnv() {
  if (old_) platform::SetEnvironment(name_, *old_);
  else platform::UnsetEnvironment(name_);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::filesystem::path TestVectorsDir() {
  std::filesystem::path dir = KANVIO_TESTVECTORS_DIR;
  if (std::filesystem::exists(dir / "crypto.tsv")) return dir;
  return std::filesystem::path(KANVIO_SOURCE_DIR) / "tests/data/testvectors";
}

}  // namespace kanvio::test
