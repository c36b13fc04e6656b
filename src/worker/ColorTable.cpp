#include "worker/ColorTable.h"

#include <charconv>
#include <cstdint>

#include "config/IniFile.h"
#include "config/KanvioPaths.h"
#include "support/Error.h"
#include "support/Text.h"
#include "worker/LogFailure.h"

namespace kanvio {
namespace {

constexpr platform::Rgb kWhite{255, 255, 255};
platform::Rgb header_color{34, 94, 183};

std::optional<std::uint32_t> ParseNumber(std::string_view digits, int base) {
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

platform::Rgb ReadThemeHeaderColor() {
  std::string theme;
  if (auto ini = KanvioPaths::SoftwareIni())
    theme = IniFile(*ini).GetString("System Configuration", "ColorTheme");
  if (theme.empty()) theme = "apptheme_default.dll";
  auto file = KanvioPaths::DesignDll(theme);
  if (!file) throw Error("Das Farbschema " + theme + " wurde nicht gefunden.");
  std::string value = IniFile(*file).GetString(std::string(ColorTable::kSection), "FormPanelTitleBar_Color");
  auto color = ColorTable::ParseColor(value);
  if (!color) throw Error("Ungültige Farbe \"" + value + "\" in " + file->string());
  return *color;
}

}  // namespace

platform::Rgb ColorTable::BackgroundColor() { return kWhite; }
platform::Rgb ColorTable::HeaderColor() { return header_color; }
platform::Rgb ColorTable::PanelColor() { return kWhite; }
platform::ViewColors ColorTable::Colors() { return {BackgroundColor(), HeaderColor(), PanelColor()}; }

void ColorTable::CreateApplicationColors() {
  try {
    header_color = ReadThemeHeaderColor();
  } catch (...) {
    LogCaughtFailure();
  }
}

std::optional<platform::Rgb> ColorTable::ParseColor(std::string_view text) {
  std::string value = text::Trim(text);
  if (!value.empty() && value[0] == '#') {
    auto rgb = value.size() == 7 ? ParseNumber(std::string_view(value).substr(1), 16) : std::nullopt;
    if (!rgb) return std::nullopt;
    return platform::Rgb{std::uint8_t(*rgb >> 16), std::uint8_t(*rgb >> 8), std::uint8_t(*rgb)};
  }
  auto bgr = ParseNumber(value, 10);
  if (!bgr) return std::nullopt;
  return platform::Rgb{std::uint8_t(*bgr), std::uint8_t(*bgr >> 8), std::uint8_t(*bgr >> 16)};
}

}  // namespace kanvio
