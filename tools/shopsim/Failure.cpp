#include "Failure.h"

#include <charconv>

namespace kanvio::shopsim {
namespace {

std::optional<std::chrono::milliseconds> ParseMilliseconds(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return std::chrono::milliseconds(value);
}

}  // namespace

std::optional<Failure> Failure::Parse(std::string_view text) {
  if (const auto star = text.find('*');
      star != std::string_view::npos && star > 0 && text.find_first_not_of("0123456789") == star) {
    int count = 0;
    std::from_chars(text.data(), text.data() + star, count);
    auto failure = Parse(text.substr(star + 1));
    if (!failure || count <= 0) return std::nullopt;
    return failure->Times(count);
  }
  const auto colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const bool has_argument = colon != std::string_view::npos;
  const std::string_view argument = has_argument ? text.substr(colon + 1) : std::string_view();

  if (name == "500") return Status500(std::string(argument));
  if (name == "501") return Status501(std::string(argument));
  if (name == "fault") return SoapFault(has_argument ? std::string(argument) : "Interner Fehler");
  if (name == "error") return ItemError(has_argument ? std::string(argument) : "Object was not found.");
  if (name == "401" && !has_argument) return Unauthorized();
  if (name == "503") return Status503(std::string(argument));
  if (has_argument && name != "slow") return std::nullopt;
  if (name == "501-utf8") return RejectUtf8Header();
  if (name == "html") return HtmlPage();
  if (name == "drop") return Drop();
  if (name == "md5-wrong") return WrongMd5();
  if (name == "md5-missing") return NoMd5();
  if (name != "slow") return std::nullopt;
  if (!has_argument) return Slow();
  const auto delay = ParseMilliseconds(argument);
  if (!delay) return std::nullopt;
  return Slow(*delay);
}

}  // namespace kanvio::shopsim
