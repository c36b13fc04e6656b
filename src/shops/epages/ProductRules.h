#pragma once
// The small rules by which host article values become ePages product values
// and back. Pure functions; none throws except std::bad_alloc.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostfiles/Containers.h"
#include "shops/epages/EpagesTypes.h"
#include "shops/epages/ProductTypes.h"

namespace kanvio::epages {

// The ePages unit of a host unit ("Kiste(n)" -> "/Units/piece/box"): the
// last "/"-separated part of "/Units/" + unit, trimmed and in lower case, in
// the unit table; "/Units/piece" for anything else.
std::string UnitPathOf(const std::optional<std::string>& host_unit);
// The host unit of an ePages unit path ("/Units/piece/box" -> "Kiste(n)"):
// its last part, trimmed and in lower case, in the unit table; empty for
// anything else.
std::string HostUnitOf(std::string_view unit_path);

// "/TaxMatrixGermany/normal" for the host code 1, ".../reduced" for 2,
// ".../none" for any other.
std::string TaxClassOf(float host_tax_code);
// "1" for a class containing "normal" (any letter case), "2" for "reduced",
// "0" for any other or none.
std::string TaxCodeOf(const std::optional<std::string>& tax_class);

// The prices an article carries to the shop: net and gross when both kinds
// are synchronised and the gross price is above 0, else the one kind that is
// synchronised (net first); none when neither is. A kind counts only where
// the article's own row gave it.
std::vector<ProductPrice> PricesOf(const Article& article, const SyncSettings& sync);

// The text with every tag (the shortest text from "<" to the next ">", line
// breaks included) removed.
std::string WithoutTags(std::string_view text);

// The values of a variation's attributes, each followed by one blank.
std::string VariationText(const std::vector<Attribute>& attributes);

// The last "/"-separated part of a path.
std::string_view LastPart(std::string_view path);

// Whether a host category can name a catalog alias: not blank and without
// "/", which would reach into another catalog's path.
bool IsUsableCategory(const std::optional<std::string>& category);

}  // namespace kanvio::epages
