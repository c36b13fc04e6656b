#pragma once
// Report bodies as the marketplace delivers them, made from the simulated
// orders: the scheduled XML order report and the tab-separated
// fulfilled-shipments report with its 48 columns.

#include <string>
#include <vector>

#include "MwsMarketplace.h"

namespace kanvio::shopsim::mws_reports {

struct XmlOptions {
  // The US marketplace writes no billing address.
  bool billing_addresses = true;
  // Some reports carry "&" unescaped in names and streets.
  bool bare_ampersands = false;
};

std::string XmlOrderReport(const std::vector<MwsOrderRecord>& orders, const XmlOptions& options = {});

// One row per order line, UTF-8.
std::string ShipmentReport(const std::vector<MwsOrderRecord>& orders);

// UTF-8 text as windows-1252 bytes, as the EU marketplaces deliver flat
// files; characters beyond Latin-1 become "?".
std::string ToWindows1252(const std::string& utf8);

}  // namespace kanvio::shopsim::mws_reports
