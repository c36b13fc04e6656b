#pragma once
// The streaming writer of the orders file for the writers that produce it
// order by order: the declaration with standalone="yes", a comment with the
// local date and time of writing and the writer's suffix, then one
// `Bestellvorgang` per WriteOrder inside `OrderNotification`, all on one line.
// The Amazon and ePages elements are a matter of OrderXmlOptions::variant.
//
// The file is written beside the target and takes its place on Close(). A
// writer destroyed without Close() behaves as OrderXmlOptions::after_failure
// says (see XmlStreamWriter): with kKeepPartial the orders written so far
// replace the target, inside a closed `OrderNotification`.
//
// One thread at a time. Failures to write throw kanvio::Error.

#include <filesystem>
#include <optional>
#include <string>

#include "orders/OrderRecords.h"
#include "orders/RecordElementWriter.h"
#include "orders/XmlStreamWriter.h"
#include "support/DateTime.h"

namespace kanvio::orders {

struct OrderXmlOptions {
  OrderVariant variant = OrderVariant::kPlain;
  // Follows the date and time in the comment, e.g. " - Amazon Bestellungen".
  std::string comment_suffix;
  XmlStreamWriter::AfterFailure after_failure = XmlStreamWriter::AfterFailure::kDiscard;
  // The time the comment shows; the current local time when empty.
  std::optional<LocalDateTime> written_at;

  static OrderXmlOptions Amazon();
  static OrderXmlOptions Epages();
};

class OrderXmlWriter {
 public:
  // Creates the temporary file and writes everything up to the root's start tag.
  OrderXmlWriter(const std::filesystem::path& target, const OrderXmlOptions& options);

  // Writes one `Bestellvorgang`, whole or, when it throws, not at all.
  void WriteOrder(const ShopOrder& order);
  // Closes the root and replaces the target.
  void Close();
  // Gives the file up; the target keeps what it held. Never throws.
  void Discard() noexcept { xml_.Discard(); }

  int orders_written() const { return orders_written_; }

 private:
  XmlStreamWriter xml_;
  RecordElementWriter records_;
  int orders_written_ = 0;
};

}  // namespace kanvio::orders
