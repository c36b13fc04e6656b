#pragma once

#include <string>
#include <vector>

#include "MwsMarketplace.h"

namespace kanvio::shopsim {

// The demo marketplace: an EU XML order report with three orders (a company
// with a bare "&", a Packstation, an order with five lines), a US XML order
// report without billing address, and a fulfilled-shipments report in
// windows-1252 with two shipped orders (one over two rows), each listed
// and with its report request.
class MwsDemoData {
 public:
  static void Fill(MwsMarketplace& marketplace);

  // Order number n of a generated marketplace: "shipped" ones for
  // shipment reports, unshipped ones for order reports; two lines each.
  static MwsOrderRecord Generated(int n, bool shipped);
  // Adds `count` generated orders and one report holding them all; returns its id.
  static std::string AddGeneratedReport(MwsMarketplace& marketplace, int count, bool shipment_report);
};

}  // namespace kanvio::shopsim
