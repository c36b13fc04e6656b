// Order reports with bare ampersands, repaired in place. A file without an
// ampersand stays byte for byte as it was; one repair leaves nothing for a
// second to correct.
#include "FuzzSupport.h"
#include "config/XMLFileRepair.h"
#include "support/Error.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kanvio::fuzz::UseOwnHost();  // repairs are logged
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = kanvio::fuzz::InputFile(data, size, "report.xml");
  const kanvio::XMLFileRepair repair(file);
  Check(repair.corrected_lines() >= 0);
  if (kanvio::fuzz::AsText(data, size).find('&') == std::string_view::npos) {
    const std::string after = kanvio::fuzz::ReadAll(file);
    Check(repair.corrected_lines() == 0 && after == kanvio::fuzz::AsText(data, size));
  }
  Check(kanvio::XMLFileRepair(file).corrected_lines() == 0);
  return 0;
}
