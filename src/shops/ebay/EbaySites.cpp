#include "shops/ebay/EbaySites.h"

#include <array>

namespace kanvio {
namespace {

// Two sites share a domain in Belgium, Canada and the US; a lookup by id
// takes the first entry of an id.
constexpr std::array<EbaySite, 26> kSites{{
    {"au", 15, 3, "Australia"},
    {"at", 16, 4, "Austria"},
    {"be", 123, 9, "Belgium (Dutch)"},
    {"be", 23, 5, "Belgium (French)"},
    {"ca", 2, 1, "Canada"},
    {"ca", 210, 25, "Canada (French)"},
    {"cn", 223, 18, "China"},
    {"fr", 71, 6, "France"},
    {"de", 77, 7, "Germany"},
    {"hk", 201, 15, "Hong Kong"},
    {"in", 203, 17, "India"},
    {"ie", 205, 19, "Ireland"},
    {"it", 101, 8, "Italy"},
    {"my", 207, 20, "Malaysia"},
    {"nl", 146, 10, "Netherlands"},
    {"ph", 211, 21, "Philippines"},
    {"pl", 212, 22, "Poland"},
    {"sg", 216, 16, "Singapore"},
    {"es", 186, 11, "Spain"},
    {"se", 218, 23, "Sweden"},
    {"ch", 193, 12, "Switzerland"},
    {"tw", 196, 13, "Taiwan"},
    {"co.uk", 3, 2, "United Kingdom"},
    {"com", 0, 0, "United States"},
    {"com", 100, 14, "eBay Motors"},
    {"com", -1, 24, "custom code"},
}};

}  // namespace

std::span<const EbaySite> EbaySites::All() { return kSites; }

const EbaySite* EbaySites::BySiteId(std::int32_t site_id) {
  for (const auto& site : kSites)
    if (site.SiteId == site_id) return &site;
  return nullptr;
}

}  // namespace kanvio
