#pragma once
// The colours of the progress window, one set for the whole process. Only the
// header colour can change: the host's colour theme may set it.

#include <optional>
#include <string_view>

#include "platform/ProgressView.h"

namespace kanvio {

class ColorTable {
 public:
  static constexpr std::string_view kSection = "LAYOUT";

  static platform::Rgb BackgroundColor();
  static platform::Rgb HeaderColor();
  static platform::Rgb PanelColor();
  static platform::ViewColors Colors();

  // Takes the header colour from the theme file that the host ini names.
  // A failure (no theme file, a missing or malformed value) is logged and
  // leaves the colours unchanged. Host thread only.
  static void CreateApplicationColors();

  // "#RRGGBB", or a decimal Windows colour number (0x00BBGGRR).
  static std::optional<platform::Rgb> ParseColor(std::string_view text);
};

}  // namespace kanvio
