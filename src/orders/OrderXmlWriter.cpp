#include "orders/OrderXmlWriter.h"

#include "support/DateFormat.h"

namespace kanvio::orders {
namespace {

constexpr std::string_view kRootName = "OrderNotification";

XmlStreamWriter::Format StreamFormat(const OrderXmlOptions& options) {
  return {.standalone = true, .indent = false, .after_failure = options.after_failure};
}

}  // namespace

OrderXmlOptions OrderXmlOptions::Amazon() {
  return {OrderVariant::kAmazon, " - Amazon Bestellungen", XmlStreamWriter::AfterFailure::kKeepPartial, {}};
}

OrderXmlOptions OrderXmlOptions::Epages() {
  return {
      OrderVariant::kEpages, " - Transfer Shopbestellungen", XmlStreamWriter::AfterFailure::kKeepPartial, {}};
}

OrderXmlWriter::OrderXmlWriter(const std::filesystem::path& target, const OrderXmlOptions& options)
    : xml_(target, StreamFormat(options)), records_(xml_, options.variant, false) {
  const LocalDateTime written_at = options.written_at.value_or(LocalDateTime::Now());
  xml_.WriteComment(date_format::German(written_at) + options.comment_suffix);
  xml_.StartElement(kRootName);
}

void OrderXmlWriter::WriteOrder(const ShopOrder& order) {
  xml_.WriteUnit([&] { records_.Write(ShopOrder::kXmlName, order); });
  ++orders_written_;
}

void OrderXmlWriter::Close() { xml_.Close(); }

}  // namespace kanvio::orders
