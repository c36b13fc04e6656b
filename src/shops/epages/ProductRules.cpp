#include "shops/epages/ProductRules.h"

#include <algorithm>
#include <array>

#include "support/Text.h"

namespace kanvio::epages {
namespace {

struct Unit {
  std::string_view host, path;
};

constexpr Unit kUnits[] = {
#define KANVIO_UNIT(host, path) {host, path},
#include "shops/epages/UnitTable.def"
#undef KANVIO_UNIT
};

std::string LowerLastPart(std::string_view path) { return text::ToLower(text::Trim(LastPart(path))); }

}  // namespace

std::string_view LastPart(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string UnitPathOf(const std::optional<std::string>& host_unit) {
  static const auto kLowerHostUnits = [] {
    std::array<std::string, std::size(kUnits)> lower;
    for (std::size_t i = 0; i < lower.size(); ++i) lower[i] = text::ToLower(kUnits[i].host);
    return lower;
  }();
  const std::string key = LowerLastPart("/Units/" + host_unit.value_or(std::string()));
  for (std::size_t i = 0; i < kLowerHostUnits.size(); ++i) {
    if (kLowerHostUnits[i] == key) return std::string(kUnits[i].path);
  }
  return "/Units/piece";
}

std::string HostUnitOf(std::string_view unit_path) {
  const std::string key = LowerLastPart(unit_path);
  for (const Unit& unit : kUnits) {
    if (LastPart(unit.path) == key) return std::string(unit.host);
  }
  return {};
}

std::string TaxClassOf(float host_tax_code) {
  if (host_tax_code == 1) return "/TaxMatrixGermany/normal";
  if (host_tax_code == 2) return "/TaxMatrixGermany/reduced";
  return "/TaxMatrixGermany/none";
}

namespace {

// Whether the class names the rate (lower case ASCII) in any letter case;
// in place, as an import asks it for every product.
bool NamesRate(std::string_view tax_class, std::string_view rate) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::search(tax_class.begin(), tax_class.end(), rate.begin(), rate.end(),
                     [&](char a, char b) { return lower(a) == b; }) != tax_class.end();
}

}  // namespace

std::string TaxCodeOf(const std::optional<std::string>& tax_class) {
  const std::string_view name = tax_class ? std::string_view(*tax_class) : std::string_view();
  if (NamesRate(name, "normal")) return "1";
  if (NamesRate(name, "reduced")) return "2";
  return "0";
}

std::vector<ProductPrice> PricesOf(const Article& article, const SyncSettings& sync) {
  const std::string& currency = article.ArtikelPreisWaehrung.empty() ? "EUR" : article.ArtikelPreisWaehrung;
  const ProductPrice net{article.ArtikelpreisNetto, currency, "net"};
  const ProductPrice gross{article.ArtikelpreisBrutto, currency, "gross"};
  const bool with_net = sync.SyncArtikelPreisNetto && article.ArtikelpreisNettoGiven;
  const bool with_gross = sync.SyncArtikelPreisBrutto && article.ArtikelpreisBruttoGiven;
  if (with_net && with_gross && article.ArtikelpreisBrutto > 0) return {net, gross};
  if (with_net) return {net};
  if (with_gross) return {gross};
  return {};
}

std::string WithoutTags(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto open = text.find('<', pos);
    const auto close = open == std::string_view::npos ? std::string_view::npos : text.find('>', open + 1);
    if (close == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, open - pos));
    pos = close + 1;
  }
  return out;
}

std::string VariationText(const std::vector<Attribute>& attributes) {
  std::string out;
  for (const Attribute& attribute : attributes) {
    out += attribute.Value.value_or(std::string());
    out += ' ';
  }
  return out;
}

bool IsUsableCategory(const std::optional<std::string>& category) {
  return category && !text::Trim(*category).empty() && category->find('/') == std::string::npos;
}

}  // namespace kanvio::epages
