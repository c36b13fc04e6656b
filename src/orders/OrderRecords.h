#pragma once
// The records of the orders file, one per element of the tree. Every text
// member starts as the empty text and every nested record exists from
// construction, so a record that nobody fills still yields all its elements,
// empty; a text member set to no value (std::nullopt) yields no element.
//
// Members marked "Amazon" or "ePages" are elements that only that variant of
// the streaming writer adds (OrderVariant); the record writer leaves them out.
// The member order of each record is stated in OrderRecords.cpp.

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "orders/Polymorphic.h"
#include "orders/XmlRecord.h"

namespace kanvio::orders {

// Which eBay address fills which address block.
enum class CustomerFormatting { Default = 0, ShippingOnly = 1, ShippingAsPaymentAdress = 2 };

// `Kunde`.
class ShopCustomer : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "ShopCustomer";

  NullableText CustomerNumber, CustomerNumberShop, CompanyName, AdditionalCompanyName, Salutation, Gender,
      Title, Name, FirstName, Street, PostalCode, Location, CountryCode, Country, Mail, Phone, FaxNumber,
      VatId;
  NullableText AdditionalCustomerField1, AdditionalCustomerField2, AdditionalCustomerField3,
      AdditionalCustomerField4, AdditionalCustomerField5;
  // Amazon: with a text, `Amazon-Packstation` takes the place of `Firmenzusatzname`.
  NullableText AmazonPackstation = std::nullopt;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
  virtual std::unique_ptr<ShopCustomer> Clone() const { return std::make_unique<ShopCustomer>(*this); }
};

class EbayCustomer : public ShopCustomer {
 public:
  static constexpr std::string_view kTypeName = "EbayCustomer";

  NullableText EbayMemberName;  // `EbayMitgliedsname`

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
  std::unique_ptr<ShopCustomer> Clone() const override { return std::make_unique<EbayCustomer>(*this); }
};

// `Kontodaten`.
class BankData : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "BankData";

  NullableText AccountHolder, AccountNumber, BankCode;
  NullableText Bic, Iban;  // ePages, before the bank name
  NullableText BankName;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
};

// The fifteen members that the delivery and the invoice address share; their
// element names differ by prefix only.
class AddressData : public XmlRecord {
 public:
  NullableText CompanyName, AdditionalCompanyName, Salutation, Gender, Title, Name, FirstName, Street,
      PostalCode, Location, CountryCode, Country, Mail, Phone, FaxNumber;

  void VisitMembers(RecordVisitor& visitor) const override;

 protected:
  using ElementNames = std::string_view[15];
  virtual const ElementNames& Names() const = 0;
};

// `AbweichendLieferung`.
class DeliveryData : public AddressData {
 public:
  static constexpr std::string_view kTypeName = "DeliveryData";
  std::string_view XmlTypeName() const override { return kTypeName; }

 protected:
  const ElementNames& Names() const override;
};

// `AbweichendRechnung`.
class PaymentData : public AddressData {
 public:
  static constexpr std::string_view kTypeName = "PaymentData";
  std::string_view XmlTypeName() const override { return kTypeName; }

 protected:
  const ElementNames& Names() const override;
};

// `Frachtkosten`.
class FrieghtCost : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "FrieghtCost";

  NullableText FrieghtCostNet, FreightCostGross, FreightCostTaxValue;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
};

// One net, gross and rate triple of a surcharge group.
struct CostGroup {
  NullableText Net, Gross, TaxValue;
};

// `Zuschlagkosten`.
class AdditionalCost : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "AdditionalCost";

  NullableText AdditionalCostNet1, AdditionalCostGross1, AdditionalCostTaxValue1;
  NullableText AdditionalCostNet2, AdditionalCostGross2, AdditionalCostTaxValue2;
  std::vector<CostGroup> FurtherGroups2;  // ePages: more triples of group 2, after the first
  NullableText AdditionalCostNet3, AdditionalCostGross3, AdditionalCostTaxValue3;
  std::vector<CostGroup> FurtherGroups3;  // ePages: more triples of group 3, after the first

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
};

// `Kundendaten`.
class CustomerData : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "CustomerData";

  Polymorphic<ShopCustomer> Customer;
  orders::BankData BankData;
  // The Amazon writer leaves a block out (std::nullopt) when it has no such address.
  std::optional<orders::DeliveryData> DeliveryData{std::in_place};
  std::optional<orders::PaymentData> PaymentData{std::in_place};
  orders::FrieghtCost FrieghtCost;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
};

// `BestellArtikel`, one order line.
class Article : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "Article";

  NullableText ArticlePostionNumber, ArticleNumber, ArticleNumberShop;
  NullableText AmazonAsin;  // Amazon
  NullableText Amount;
  NullableText Weight;  // Amazon, always empty
  NullableText ArticleDiffPriceNet, ArticleDiffPriceGross, ArticleDiffTaxValue, ArticleText, Discount;
  NullableText AdditionalArticlePostion1, AdditionalArticlePostion2, AdditionalArticlePostion3,
      AdditionalArticlePostion4, AdditionalArticlePostion5;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
  virtual std::unique_ptr<Article> Clone() const { return std::make_unique<Article>(*this); }
};

class EbayArticle : public Article {
 public:
  static constexpr std::string_view kTypeName = "EbayArticle";

  NullableText EbayTitle;  // `EbayTitel`

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
  std::unique_ptr<Article> Clone() const override { return std::make_unique<EbayArticle>(*this); }
};

// `Bestellvorgang`, one order.
class ShopOrder : public XmlRecord {
 public:
  static constexpr std::string_view kTypeName = "ShopOrder";
  static constexpr std::string_view kXmlName = "Bestellvorgang";

  NullableText OrderNumber;
  NullableText OrderTotalGross;  // Amazon after the order number, ePages after the order date
  NullableText OrderDate, DesiredDeliveryDate, DeliveryKind, PaymentKind;
  NullableText FulfilledByAmazon;  // Amazon: "1" or "0"
  NullableText AdditionalOrderField1, AdditionalOrderField2, AdditionalOrderField3, AdditionalOrderField4,
      AdditionalOrderField5, OrderMessage;
  orders::CustomerData CustomerData;
  orders::AdditionalCost AdditionalCost;
  std::vector<Polymorphic<orders::Article>> Article;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
};

class EbayOrder : public ShopOrder {
 public:
  static constexpr std::string_view kTypeName = "EbayOrder";

  NullableText EbayKey, Weblink, EbayOrderLineItem;

  void VisitMembers(RecordVisitor& visitor) const override;
  std::string_view XmlTypeName() const override { return kTypeName; }
};

}  // namespace kanvio::orders
