// eBay's answers and the host's list of imported orders. The first byte
// picks the reader: 0 GetSessionID, 1 FetchToken, 2 GetTokenStatus,
// 3 GetMyeBaySelling (then the choice of entries to fetch), 4
// GetItemTransactions (then the conversion into an orders record), 5 GetUser,
// 6 GetOrderTransactions, 7 the imported-orders list; the rest is the input.
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "net/EbayTradingAnswers.h"
#include "shops/ebay/ImportedOrders.h"
#include "shops/ebay/OrderManagement.h"
#include "shops/ebay/ReportManagement.h"
#include "support/Error.h"

namespace {

using namespace kanvio;

void ConvertItem(const net::ItemTransactions& item) {
  if (item.transactions.empty()) return;
  service::EbayOrder order{
      {item.transactions.front(), std::nullopt}, item.transactions, {item}, std::nullopt};
  for (auto formatting : {orders::CustomerFormatting::Default, orders::CustomerFormatting::ShippingOnly,
                          orders::CustomerFormatting::ShippingAsPaymentAdress}) {
    auto record = OrderManagement::ConvertOrder(order, formatting);
    if (record && record->Article.size() != 1) __builtin_trap();
  }
}

void Read(std::uint8_t selector, std::string_view text) {
  net::Notes notes;
  switch (selector % 8) {
    case 0:
      net::ReadSessionId(net::EbayAnswer::Read("GetSessionID", text));
      break;
    case 1:
      net::ReadToken(net::EbayAnswer::Read("FetchToken", text));
      break;
    case 2:
      net::ReadTokenStatus(net::EbayAnswer::Read("GetTokenStatus", text));
      break;
    case 3: {
      auto page = net::ReadSoldList(net::EbayAnswer::Read("GetMyeBaySelling", text), notes);
      const std::size_t count = page.entries.size();
      const auto selected = ReportManagement::Select(std::move(page.entries), {"1-1"},
                                                     {net::PaidStatus::Paid, net::PaidStatus::MarkedAsPaid});
      if (selected.size() > count) __builtin_trap();
      break;
    }
    case 4:
      ConvertItem(net::ReadItemTransactions(net::EbayAnswer::Read("GetItemTransactions", text), notes));
      break;
    case 5:
      net::ReadSellerPaymentAddress(net::EbayAnswer::Read("GetUser", text), notes);
      break;
    case 6:
      net::ReadFirstOrder(net::EbayAnswer::Read("GetOrderTransactions", text), notes);
      break;
    default:
      for (const auto& id : ImportedOrders::Parse(text))
        if (id.empty() || id.find_first_of("\r\n") != std::string::npos) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text = kanvio::fuzz::AsText(data + 1, size - 1);
  try {
    Read(data[0], text);
  } catch (const kanvio::Error&) {
    // A refused answer: what the connector logs and goes on from.
  }
  kanvio::net::ParseEbayDate(text);
  return 0;
}
