// Texts from outside: answers in any encoding, shop addresses, German
// numbers. The first byte picks the helper (and, for answers, the charset
// the transport names); each checks what must hold for any input.
#include "FuzzSupport.h"
#include "platform/HttpUrl.h"
#include "support/GermanNumber.h"
#include "support/Text.h"
#include "support/XmlEncoding.h"

namespace {

using namespace kanvio;

constexpr const char* kTransports[] = {"",       "utf-8",    "iso-8859-1", "windows-1252", "ISO-8859-15",
                                       "utf-16", "utf-16be", "koi8-r"};

// What the merged article file does with a page: well-formed UTF-8 always.
void Answer(std::string_view bytes, unsigned selector) {
  const std::string text = text::XmlToUtf8(bytes, kTransports[selector % std::size(kTransports)]);
  const std::string clean = text::ReplaceInvalidUtf8(text);
  if (text::FindInvalidUtf8(clean) != std::string_view::npos) __builtin_trap();
  if (text::FindInvalidUtf8(text) == std::string_view::npos && clean != text) __builtin_trap();
}

// A request address holds nothing it cannot, and encoding it twice changes nothing.
void Address(std::string_view url) {
  const std::string once = platform::EncodeRequestUrl(url);
  if (platform::EncodeRequestUrl(once) != once) __builtin_trap();
  platform::RedactedUrl(url);
}

void Number(std::string_view text) {
  ParseGermanDouble(text);
  ParseGermanInt(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input = fuzz::AsText(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      Answer(input, data[0] / 3);
      break;
    case 1:
      Address(input);
      break;
    default:
      Number(input);
      break;
  }
  return 0;
}
