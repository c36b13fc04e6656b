#pragma once

#include <optional>
#include <string_view>

#include "support/DateTime.h"

namespace kanvio {

// A date and time as the host user's regional (German) settings write it:
// "dd.MM.yyyy" (or "dd.MM.yy"), optionally followed by "HH:mm" or "HH:mm:ss"; day, month and
// hour may have one digit, blanks around the text are ignored. The invariant
// form "yyyy-MM-dd HH:mm:ss" is accepted as well. nullopt for anything else,
// impossible dates (31.02.) included.
std::optional<LocalDateTime> ParseRegionalDateTime(std::string_view text);

}  // namespace kanvio
