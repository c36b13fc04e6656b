#pragma once
// The documents the simulated Trading API answers with, in eBay's namespace.

#include <chrono>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <string>

#include "EbayMarket.h"

namespace kanvio::shopsim {

class EbayAnswerXml {
 public:
  // "<call>Response" with Ack Success; `fill` adds the call's own elements.
  static std::string Success(const std::string& call, const std::function<void(pugi::xml_node)>& fill);
  // "<call>Response" with Ack Failure and one error.
  static std::string Failure(const std::string& call, const std::string& code, const std::string& message,
                             const std::string& classification = "RequestError");

  // One OrderTransaction of the sold list.
  static void AppendSoldEntry(pugi::xml_node array, const EbaySoldRecord& sold);
  // A Transaction with all a detail call gives: the buyer with addresses,
  // status, price, shipping, variation; `order_id` names a containing order.
  static void AppendDetailedTransaction(pugi::xml_node parent, const EbaySaleRecord& sale,
                                        const std::optional<EbayBuyerRecord>& buyer,
                                        const std::string& order_id);
  static void AppendListing(pugi::xml_node parent, const EbaySaleRecord& sale);
  static void AppendAddress(pugi::xml_node parent, const char* name, const EbayAddressRecord& address);
  static void AppendShipping(pugi::xml_node parent, const EbaySaleRecord& sale);

  static std::string Date(std::chrono::sys_seconds instant);
};

}  // namespace kanvio::shopsim
