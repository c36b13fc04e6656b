#include "shops/epages/OrderConverter.h"

#include <utility>

#include "config/Logger.h"
#include "shops/epages/OrderRules.h"
#include "support/DateFormat.h"
#include "support/Error.h"
#include "support/InvariantNumber.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

using orders::NullableText;

std::string Single(float value) { return invariant::SingleRoundTrip(value); }
std::string Double(double value) { return invariant::DoubleRoundTrip(value); }

// A price per unit; the line's price itself where no quantity divides it.
double UnitPrice(const LineItem& line) {
  return line.Quantity > 0 ? double(line.LineItemPrice) / double(line.Quantity) : double(line.LineItemPrice);
}

std::string TaxPercent(float rate) { return rate > 0 ? Single(rate * 100) : "0"; }

// The first deposit price in euro above zero.
std::optional<float> EuroDeposit(const ProductInfo& product) {
  for (const ProductPrice& price : product.DepositPrices) {
    if (price.CurrencyID == "EUR" && price.Price && *price.Price > 0) return price.Price;
  }
  return std::nullopt;
}

void FillCustomer(orders::ShopCustomer& customer, const Address& billing, const std::string& alias) {
  const Country country = CountryOf(billing.CountryID);
  customer.CustomerNumberShop = alias;
  customer.CompanyName = billing.Company;
  customer.AdditionalCompanyName = billing.AddressExtension;
  customer.Salutation = billing.Salutation;
  customer.Gender = GenderOf(billing.Gender);
  customer.Title = std::nullopt;
  customer.Name = billing.LastName;
  customer.FirstName = billing.FirstName;
  customer.Street = StreetOf({billing.Street, billing.Street2});
  customer.PostalCode = billing.Zipcode;
  customer.Location = billing.City;
  customer.CountryCode = country.code;
  customer.Country = country.name;
  customer.Mail = billing.EMail;
  customer.Phone = billing.Phone;
  customer.FaxNumber = billing.Fax;
  customer.VatId = billing.VATID;
}

void FillAddress(orders::AddressData& out, const Address& in, const std::string& extension,
                 const std::string& street) {
  const Country country = CountryOf(in.CountryID);
  out.CompanyName = in.Company;
  out.AdditionalCompanyName = extension;
  out.Salutation = in.Salutation;
  out.Gender = GenderOf(in.Gender);
  out.Title = in.Title;
  out.Name = in.LastName;
  out.FirstName = in.FirstName;
  out.Street = street;
  out.PostalCode = in.Zipcode;
  out.Location = in.City;
  out.CountryCode = country.code;
  out.Country = country.name;
  out.Mail = in.EMail;
  out.Phone = in.Phone;
  out.FaxNumber = in.Fax;
}

}  // namespace

// The state of converting one order: its tax model and the positions taken.
class OrderConverter::Builder {
 public:
  Builder(OrderConverter& converter, const OrderInfo& order)
      : converter_(converter),
        order_(order),
        items_(*order.LineItemContainer),
        net_(text::EqualsIgnoreCase(items_.TaxModel, "net")),
        position_(converter.next_position_) {}

  orders::ShopOrder Build(const std::string& customer_alias) {
    orders::ShopOrder record;
    Header(record);
    static const Address kNoAddress;
    const Address& billing = order_.BillingAddress ? *order_.BillingAddress : kNoAddress;
    FillCustomer(*record.CustomerData.Customer, billing, customer_alias);
    Bank(record.CustomerData.BankData, billing);
    if (order_.ShippingAddress) {
      const Address& shipping = *order_.ShippingAddress;
      FillAddress(*record.CustomerData.DeliveryData, shipping, "",
                  StreetOf({shipping.Street, shipping.Street2, shipping.AddressExtension}));
    }
    FillAddress(*record.CustomerData.PaymentData, billing, billing.AddressExtension,
                StreetOf({billing.Street, billing.Street2}));
    Freight(record.CustomerData.FrieghtCost);
    Surcharges(record.AdditionalCost);
    Articles(record);
    return record;
  }

  int next_position() const { return position_; }

 private:
  // Net or gross, by the order's tax model; the other one empty.
  void Place(NullableText& net, NullableText& gross, std::string amount) const {
    (net_ ? net : gross) = std::move(amount);
    (net_ ? gross : net) = "";
  }

  void Header(orders::ShopOrder& record) const {
    record.OrderNumber = order_.Alias;
    record.OrderDate = "";
    if (order_.CreationDate) {
      if (const auto date = CreationDateOf(*order_.CreationDate)) {
        record.OrderDate = date_format::German(*date);
      } else {
        Logger::LogWarning("Bestellung " + order_.Alias + ": unlesbares Bestelldatum " +
                           *order_.CreationDate);
      }
    }
    record.OrderTotalGross = Single(items_.GrandTotal);
    record.DeliveryKind = std::nullopt;
    record.PaymentKind = std::nullopt;
    if (items_.ShippingLineItem) {
      const LineItem& line = *items_.ShippingLineItem;
      record.DeliveryKind = MethodNameOf(line.ShippingMethod, "ShippingMethods", line.Name);
    }
    if (items_.PaymentLineItem) {
      const LineItem& line = *items_.PaymentLineItem;
      record.PaymentKind = MethodNameOf(line.PaymentMethod, "PaymentMethods", line.Name);
    }
    record.OrderMessage = "";
    if (!order_.Attributes.empty()) record.OrderMessage = order_.Attributes.front().Value.value_or("");
  }

  static void Bank(orders::BankData& bank, const Address& billing) {
    const BankFields fields = BankOf(billing.BankCode, billing.BankAccountNo);
    bank.AccountHolder = billing.BankAccountHolder;
    bank.AccountNumber = fields.account_number;
    bank.BankCode = fields.bank_code;
    bank.Bic = fields.bic;
    bank.Iban = fields.iban;
    bank.BankName = billing.BankName;
  }

  void Freight(orders::FrieghtCost& freight) const {
    if (!items_.ShippingLineItem) return;
    Place(freight.FrieghtCostNet, freight.FreightCostGross, Single(items_.ShippingLineItem->LineItemPrice));
  }

  // One triple per line item of a list; none for an empty list, one empty
  // triple without a list.
  template <class Amount>
  void Group(NullableText& net, NullableText& gross, NullableText& tax_value,
             std::vector<orders::CostGroup>& further, const std::optional<std::vector<LineItem>>& lines,
             Amount amount) const {
    if (!lines) return;
    if (lines->empty()) {
      net = gross = tax_value = std::nullopt;
      return;
    }
    Place(net, gross, amount(lines->front()));
    for (std::size_t i = 1; i < lines->size(); ++i) {
      orders::CostGroup group;
      Place(group.Net, group.Gross, amount((*lines)[i]));
      further.push_back(std::move(group));
    }
  }

  void Surcharges(orders::AdditionalCost& cost) const {
    if (items_.PaymentLineItem) {
      // Every payment discount counts: leaving out a second one would put a
      // wrong amount into the host.
      float amount = items_.PaymentLineItem->LineItemPrice;
      for (const LineItem& discount : items_.PaymentDiscountLineItems.value_or(std::vector<LineItem>{}))
        amount += discount.LineItemPrice;
      Place(cost.AdditionalCostNet1, cost.AdditionalCostGross1, amount == 0 ? "" : Single(amount));
    }
    Group(cost.AdditionalCostNet2, cost.AdditionalCostGross2, cost.AdditionalCostTaxValue2,
          cost.FurtherGroups2, items_.CouponLineItems, [](const LineItem& line) {
            return Double(line.LineItemPrice > 0 ? UnitPrice(line) : double(line.LineItemPrice));
          });
    Group(cost.AdditionalCostNet3, cost.AdditionalCostGross3, cost.AdditionalCostTaxValue3,
          cost.FurtherGroups3, items_.GlobalValueDiscountLineItems,
          [](const LineItem& line) { return Single(line.LineItemPrice); });
  }

  orders::Article& Position(orders::ShopOrder& record, const std::string& sku, float quantity,
                            std::string unit_price, std::string tax, std::string text) {
    orders::Article& article = *record.Article.emplace_back();
    article.ArticlePostionNumber = std::to_string(position_++);
    article.ArticleNumberShop = sku;
    article.Amount = Single(quantity);
    Place(article.ArticleDiffPriceNet, article.ArticleDiffPriceGross, std::move(unit_price));
    article.ArticleDiffTaxValue = std::move(tax);
    article.ArticleText = std::move(text);
    return article;
  }

  void Articles(orders::ShopOrder& record) {
    // Room for a deposit after every product line.
    record.Article.reserve(2 * items_.ProductLineItems.size() +
                           (items_.ShippingOptionLineItems ? items_.ShippingOptionLineItems->size() : 0));
    for (const LineItem& line : items_.ProductLineItems) {
      Position(record, line.SKU, line.Quantity, Double(UnitPrice(line)), TaxPercent(line.TaxRate),
               ArticleText(line));
      if (const auto deposit = Deposit(line))
        Position(record, "Pfand", line.Quantity, Single(*deposit), TaxPercent(line.TaxRate), "Pfand");
    }
    for (const LineItem& line : items_.ShippingOptionLineItems.value_or(std::vector<LineItem>{}))
      Position(record, line.SKU, line.Quantity, Double(UnitPrice(line)), TaxPercent(line.TaxRate),
               line.Name + " " + line.ChoiceName);
  }

  std::string ArticleText(const LineItem& line) const {
    if (!converter_.import_attributes_ || line.Product.empty()) return line.Name;
    const auto product = converter_.products_.Product(line.Product);
    if (!product) return line.Name;
    std::string text = product->Name.empty() ? std::string() : product->Name.front().Value;
    text += ' ';
    for (const Attribute& attribute : product->VariationAttributes)
      text += attribute.Value.value_or("") + ' ';
    return text;
  }

  std::optional<float> Deposit(const LineItem& line) const {
    if (line.SKU.empty() || line.Product.empty() || !converter_.products_.HasProductWithAlias(line.SKU))
      return std::nullopt;
    const auto product = converter_.products_.Product(line.Product);
    return product ? EuroDeposit(*product) : std::nullopt;
  }

  OrderConverter& converter_;
  const OrderInfo& order_;
  const LineItemContainer& items_;
  bool net_;
  int position_;
};

orders::ShopOrder OrderConverter::Convert(const OrderInfo& order, const std::string& customer_alias) {
  if (!order.LineItemContainer) throw Error("Die Bestellung " + order.Alias + " hat keine Positionen.");
  Builder builder(*this, order);
  orders::ShopOrder record = builder.Build(customer_alias);
  next_position_ = builder.next_position();
  return record;
}

}  // namespace kanvio::epages
