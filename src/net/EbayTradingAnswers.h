#pragma once
// Reading the answers of the Trading API's XML interface. Elements are found
// by their local names, whatever prefix a namespace gives them. A field that
// is missing or does not read (a wrong enumeration name, a date or amount
// that is no such thing) is left without value and noted; the caller logs
// the notes once per operation.

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "net/EbayTradingTypes.h"
#include "support/Error.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace kanvio::net {

// What an answer lacked or held in a form this library does not read;
// each distinct text once.
using Notes = std::set<std::string>;

struct EbayErrorEntry {
  std::string code, short_message, long_message, severity, classification;
};

// eBay answered, but with Ack Failure (or an Ack that is neither Success nor
// Warning). The message names the call and each error by code and message:
// never the request.
class EbayApiError : public Error {
 public:
  EbayApiError(const std::string& call, std::vector<EbayErrorEntry> errors);
  const std::vector<EbayErrorEntry>& errors() const { return errors_; }
  // True when every error is a system error of eBay's (the request itself
  // was fine); false for request errors such as an invalid token.
  bool IsSystemError() const;

 private:
  std::vector<EbayErrorEntry> errors_;
};

// One answer, checked: a document whose root is "<call>Response" with Ack
// Success or Warning. Warnings are kept.
class EbayAnswer {
 public:
  // Throws XmlError for text that is no such document, EbayApiError for a
  // failure that eBay reports.
  static EbayAnswer Read(std::string_view call, std::string_view text);
  // The same, parsing `text` in place: the answer keeps it.
  static EbayAnswer Read(std::string_view call, std::string&& text);

  pugi::xml_node root() const;
  const std::vector<EbayErrorEntry>& warnings() const { return warnings_; }

 private:
  void Check(std::string_view call, bool parsed);

  struct Parsed;
  std::shared_ptr<Parsed> parsed_;
  std::vector<EbayErrorEntry> warnings_;
};

// GetSessionID and FetchToken: the value, or XmlError when the answer lacks it.
std::string ReadSessionId(const EbayAnswer& answer);
std::string ReadToken(const EbayAnswer& answer);
// GetTokenStatus: Other for a status name this library does not know;
// XmlError without TokenStatus/Status.
TokenStatus ReadTokenStatus(const EbayAnswer& answer);

SoldListPage ReadSoldList(const EbayAnswer& answer, Notes& notes);
ItemTransactions ReadItemTransactions(const EbayAnswer& answer, Notes& notes);
// GetUser: the user's seller payment address, if the answer has one.
std::optional<Address> ReadSellerPaymentAddress(const EbayAnswer& answer, Notes& notes);
// GetOrderTransactions: the first order of the order list, if any.
std::optional<Order> ReadFirstOrder(const EbayAnswer& answer, Notes& notes);

// The parts of a date eBay writes: "2024-03-02T14:04:05.000Z" (fraction and
// zone optional; an offset is taken into account).
std::optional<platform::UtcTime> ParseEbayDate(std::string_view text);

}  // namespace kanvio::net
