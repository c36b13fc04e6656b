#include "shops/ebay/EbayParameter.h"

#include <array>
#include <chrono>
#include <utility>

#include "support/Text.h"

namespace kanvio {
namespace {

using net::PaidStatus;

// Each switch begins with "/" and ends with "=1", so none is found inside another.
constexpr std::array<std::pair<std::string_view, PaidStatus>, 19> kSwitches{{
    {"/notpaid=1", PaidStatus::NotPaid},
    {"/buyerhasnotcompletedcheckout=1", PaidStatus::BuyerHasNotCompletedCheckout},
    {"/paymentpendingwithpaypal=1", PaidStatus::PaymentPendingWithPayPal},
    {"/paymentpendingwithescrow=1", PaidStatus::PaymentPendingWithEscrow},
    {"/paidwithescrow=1", PaidStatus::PaidWithEscrow},
    {"/escrowpaymentcancelled=1", PaidStatus::EscrowPaymentCancelled},
    {"/paymentpendingwithpaisapay=1", PaidStatus::PaymentPendingWithPaisaPay},
    {"/paidwithpaisapay=1", PaidStatus::PaidWithPaisaPay},
    {"/paymentpending=1", PaidStatus::PaymentPending},
    {"/paymentpendingwithpaisapayescrow=1", PaidStatus::PaymentPendingWithPaisaPayEscrow},
    {"/paidwithpaisapayescrow=1", PaidStatus::PaidWithPaisaPayEscrow},
    {"/paisapaynotpaid=1", PaidStatus::PaisaPayNotPaid},
    {"/refunded=1", PaidStatus::Refunded},
    {"/waitingforcodpayment=1", PaidStatus::WaitingForCODPayment},
    {"/paidcod=1", PaidStatus::PaidCOD},
    {"/customcode=1", PaidStatus::CustomCode},
    {"/paidwithpaypal=1", PaidStatus::PaidWithPayPal},
    {"/markedaspaid=1", PaidStatus::MarkedAsPaid},
    {"/paid=1", PaidStatus::Paid},
}};

constexpr std::int32_t kMaxDays = 60;
constexpr std::int32_t kDaysWhenUnknown = 31;

std::chrono::sys_days DateOf(const LocalDateTime& value) {
  return std::chrono::year_month_day{std::chrono::year(value.year), std::chrono::month(unsigned(value.month)),
                                     std::chrono::day(unsigned(value.day))};
}

}  // namespace

std::set<net::PaidStatus> EbayParameter::AcceptedPaidStatuses(std::string_view parameter) {
  std::set<PaidStatus> accepted;
  for (const auto& [name, status] : kSwitches)
    if (text::Contains(parameter, name)) accepted.insert(status);
  if (accepted.empty()) accepted = {PaidStatus::Paid, PaidStatus::MarkedAsPaid, PaidStatus::PaidWithPayPal};
  return accepted;
}

orders::CustomerFormatting EbayParameter::Formatting(std::string_view parameter) {
  if (text::Contains(parameter, "/adressfomartting=1"))
    return orders::CustomerFormatting::ShippingAsPaymentAdress;
  if (text::Contains(parameter, "/adressfomartting=2")) return orders::CustomerFormatting::ShippingOnly;
  return orders::CustomerFormatting::Default;
}

std::int32_t EbayParameter::CalculateDuration(const LocalDateTime& from, const LocalDateTime& today) {
  if (from == LocalDateTime{}) return kDaysWhenUnknown;
  const auto days = (DateOf(today) - DateOf(from)).count() + 1;
  if (days >= kMaxDays) return kMaxDays;
  if (days <= 0) return 1;
  return static_cast<std::int32_t>(days);
}

}  // namespace kanvio
