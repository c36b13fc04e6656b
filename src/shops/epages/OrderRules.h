#pragma once
// The small rules by which ePages order values become texts of the orders
// file. Pure functions; none throws except std::bad_alloc.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/DateTime.h"

namespace kanvio::epages {

struct Country {
  std::string code;  // `Laendercode`
  std::string name;  // `Land`
};

// The country of a numeric ISO 3166 code; codes below 100 with or without
// leading zeros ("40", "040"). Empty code and name for any other text.
Country CountryOf(std::string_view country_id);

// "1" -> "m", "2" -> "w", anything else (absent included) -> empty.
std::string GenderOf(const std::optional<std::string>& gender);

// The parts that are not empty, joined with ", ".
std::string StreetOf(const std::vector<std::string_view>& parts);

struct BankFields {
  std::string account_number, bank_code, bic, iban;
};
// Both values whole numbers of the signed 32-bit range (blanks and a sign
// allowed): account number and bank code; otherwise BIC and IBAN.
BankFields BankOf(const std::string& bank_code, const std::string& account_number);

// The method name of a shipping or payment line item: the text after marker
// and the one character after it ("/Shops/S/ShippingMethods/Express" ->
// "Express"), without double quotes; the line item's name when the path is
// empty or lacks the marker.
std::string MethodNameOf(const std::string& path, std::string_view marker, const std::string& line_name);

// An xs:dateTime as ePages sends it, in the host's local time: with a zone
// ("Z", "GMT", "+02:00", "-0500") it is converted from that instant; without
// one it is taken as it stands. Fractions of seconds are dropped. nullopt for
// a text that is no date and time.
std::optional<LocalDateTime> CreationDateOf(std::string_view text);

}  // namespace kanvio::epages
