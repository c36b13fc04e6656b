#pragma once
// The eBay sites: the top-level domain of each site's pages, its numeric site
// id (what the API's site header carries) and the site code number that
// pairs with it.

#include <cstdint>
#include <span>
#include <string_view>

namespace kanvio {

struct EbaySite {
  std::string_view TopLevelDomain;
  std::int32_t SiteId;
  std::int32_t SiteCode;
  std::string_view Name;
};

class EbaySites {
 public:
  // Every site, in the table's order.
  static std::span<const EbaySite> All();
  // The first site with this id; nullptr for an id no site has.
  static const EbaySite* BySiteId(std::int32_t site_id);
};

}  // namespace kanvio
