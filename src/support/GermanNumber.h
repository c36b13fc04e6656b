#pragma once
// Numbers as the host's German regional settings parse them: "," is the
// decimal separator, "." groups thousands and is accepted anywhere in the
// integer part (so "19.00" reads as 1900).

#include <cstdint>
#include <optional>
#include <string_view>

namespace kanvio {

// Leading and trailing blanks, a sign, grouping dots, a decimal comma and an
// exponent are accepted; anything else gives nullopt.
std::optional<double> ParseGermanDouble(std::string_view text);
// Digits with an optional sign and surrounding blanks only, within int32.
std::optional<std::int32_t> ParseGermanInt(std::string_view text);

}  // namespace kanvio
