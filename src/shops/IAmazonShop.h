#pragma once

#include "shops/IShop.h"

namespace kanvio {

// The Amazon connector: the contract plus the report operations that the
// worker calls directly.
class IAmazonShop : public IShop {
 public:
  virtual std::int32_t AktiviereAutoReportErzeugung(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t AktiviereAutoFbaReportErzeugung(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t HoleBerichteVonAmazon(std::string& error) = 0;

  Marketplace marketplace() const final { return Marketplace::kAmazon; }
};

}  // namespace kanvio
