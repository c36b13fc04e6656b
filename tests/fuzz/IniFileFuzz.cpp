// The host's ini file: any bytes, any section and key asked for.
#include "FuzzSupport.h"
#include "platform/IniReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = kanvio::fuzz::InputFile(data, size, "host.ini");
  const std::string value = kanvio::platform::ReadIniValue(file, "Logging", "LOG_EXCEPTIONS", "0");
  if (value.size() > kanvio::platform::kMaxIniValue) __builtin_trap();
  return 0;
}
