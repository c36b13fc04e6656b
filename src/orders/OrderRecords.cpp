#include "orders/OrderRecords.h"

namespace kanvio::orders {
namespace {

constexpr OrderVariant kAmazon = OrderVariant::kAmazon;
constexpr OrderVariant kEpages = OrderVariant::kEpages;

void VisitCostGroups(RecordVisitor& v, const std::vector<CostGroup>& groups, std::string_view net,
                     std::string_view gross, std::string_view tax_value) {
  if (v.variant() != kEpages) return;
  for (const CostGroup& group : groups) {
    v.Text(net, group.Net);
    v.Text(gross, group.Gross);
    v.Text(tax_value, group.TaxValue);
  }
}

}  // namespace

void ShopCustomer::VisitMembers(RecordVisitor& v) const {
  v.Text("Kundennummer", CustomerNumber);
  v.Text("KundennummerWebshop", CustomerNumberShop);
  v.Text("Firmenname", CompanyName);
  if (v.variant() == kAmazon && AmazonPackstation) {
    v.Text("Amazon-Packstation", AmazonPackstation, kAmazon);
  } else {
    v.Text("Firmenzusatzname", AdditionalCompanyName);
  }
  v.Text("PersonAnrede", Salutation);
  v.Text("PersonGeschlecht", Gender);
  v.Text("PersonTitel", Title);
  v.Text("PersonNachname", Name);
  v.Text("PersonVorname", FirstName);
  v.Text("Strasse", Street);
  v.Text("Postleitzahl", PostalCode);
  v.Text("Ort", Location);
  v.Text("Laendercode", CountryCode);
  v.Text("Land", Country);
  v.Text("Email", Mail);
  v.Text("Telefon", Phone);
  v.Text("Fax", FaxNumber);
  v.Text("Umsatzsteueridentnummer", VatId);
  v.Text("ZusatzfeldKunde1", AdditionalCustomerField1);
  v.Text("ZusatzfeldKunde2", AdditionalCustomerField2);
  v.Text("ZusatzfeldKunde3", AdditionalCustomerField3);
  v.Text("ZusatzfeldKunde4", AdditionalCustomerField4);
  v.Text("ZusatzfeldKunde5", AdditionalCustomerField5);
}

void EbayCustomer::VisitMembers(RecordVisitor& v) const {
  ShopCustomer::VisitMembers(v);
  v.Text("EbayMitgliedsname", EbayMemberName);
}

void BankData::VisitMembers(RecordVisitor& v) const {
  v.Text("BankkontoInhaber", AccountHolder);
  v.Text("Bankkontonummer", AccountNumber);
  v.Text("BankkontoBLZ", BankCode);
  v.Text("BankkontoBIC", Bic, kEpages);
  v.Text("BankkontoIBAN", Iban, kEpages);
  v.Text("BankkontoBankName", BankName);
}

void AddressData::VisitMembers(RecordVisitor& v) const {
  const ElementNames& n = Names();
  const NullableText* members[] = {&CompanyName, &AdditionalCompanyName,
                                   &Salutation,  &Gender,
                                   &Title,       &Name,
                                   &FirstName,   &Street,
                                   &PostalCode,  &Location,
                                   &CountryCode, &Country,
                                   &Mail,        &Phone,
                                   &FaxNumber};
  for (std::size_t i = 0; i < std::size(members); ++i) v.Text(n[i], *members[i]);
}

const AddressData::ElementNames& DeliveryData::Names() const {
  static constexpr ElementNames kNames = {
      "abweichendLieferungFirmenname",  "abweichendLieferungFirmenzusatz", "abweichendLieferungPersAnrede",
      "abweichendLieferungPersGeschl",  "abweichendLieferungPersTitel",    "abweichendLieferungPersNachname",
      "abweichendLieferungPersVorname", "abweichendLieferungStrasse",      "abweichendLieferungPostleitzahl",
      "abweichendLieferungOrt",         "abweichendLieferungLaendercode",  "abweichendLieferungLand",
      "abweichendLieferungEmail",       "abweichendLieferungTelefon",      "abweichendLieferungFax"};
  return kNames;
}

const AddressData::ElementNames& PaymentData::Names() const {
  static constexpr ElementNames kNames = {
      "abweichendRechnungFirmenname",  "abweichendRechnungFirmenzusatz", "abweichendRechnungPersAnrede",
      "abweichendRechnungPersGeschl",  "abweichendRechnungPersTitel",    "abweichendRechnungPersNachname",
      "abweichendRechnungPersVorname", "abweichendRechnungStrasse",      "abweichendRechnungPostleitzahl",
      "abweichendRechnungOrt",         "abweichendRechnungLaendercode",  "abweichendRechnungLand",
      "abweichendRechnungEmail",       "abweichendRechnungTelefon",      "abweichendRechnungFax"};
  return kNames;
}

void FrieghtCost::VisitMembers(RecordVisitor& v) const {
  v.Text("FrachtkostenNetto", FrieghtCostNet);
  v.Text("FrachtkostenBrutto", FreightCostGross);
  v.Text("FrachtkostenMwStProzent", FreightCostTaxValue);
}

void AdditionalCost::VisitMembers(RecordVisitor& v) const {
  v.Text("ZuschlagkostenNetto1", AdditionalCostNet1);
  v.Text("ZuschlagkostenBrutto1", AdditionalCostGross1);
  v.Text("ZuschlagkostenMwStProzent1", AdditionalCostTaxValue1);
  v.Text("ZuschlagkostenNetto2", AdditionalCostNet2);
  v.Text("ZuschlagkostenBrutto2", AdditionalCostGross2);
  v.Text("ZuschlagkostenMwStProzent2", AdditionalCostTaxValue2);
  VisitCostGroups(v, FurtherGroups2, "ZuschlagkostenNetto2", "ZuschlagkostenBrutto2",
                  "ZuschlagkostenMwStProzent2");
  v.Text("ZuschlagkostenNetto3", AdditionalCostNet3);
  v.Text("ZuschlagkostenBrutto3", AdditionalCostGross3);
  v.Text("ZuschlagkostenMwStProzent3", AdditionalCostTaxValue3);
  VisitCostGroups(v, FurtherGroups3, "ZuschlagkostenNetto3", "ZuschlagkostenBrutto3",
                  "ZuschlagkostenMwStProzent3");
}

void CustomerData::VisitMembers(RecordVisitor& v) const {
  v.Record("Kunde", *Customer, ShopCustomer::kTypeName);
  v.Record("Kontodaten", BankData, orders::BankData::kTypeName);
  if (DeliveryData) v.Record("AbweichendLieferung", *DeliveryData, orders::DeliveryData::kTypeName);
  if (PaymentData) v.Record("AbweichendRechnung", *PaymentData, orders::PaymentData::kTypeName);
  v.Record("Frachtkosten", FrieghtCost, orders::FrieghtCost::kTypeName);
}

void Article::VisitMembers(RecordVisitor& v) const {
  v.Text("Positionsnummer", ArticlePostionNumber);
  v.Text("Artikelnummer", ArticleNumber);
  v.Text("ArtikelnummerShop", ArticleNumberShop);
  v.Text("AmazonASIN", AmazonAsin, kAmazon);
  v.Text("Menge", Amount);
  v.Text("Gewicht", Weight, kAmazon);
  v.Text("abweichenderEinzelpreisNetto", ArticleDiffPriceNet);
  v.Text("abweichenderEinzelpreisBrutto", ArticleDiffPriceGross);
  v.Text("abweichendeMwStProzent", ArticleDiffTaxValue);
  v.Text("abweichenderArtikeltext", ArticleText);
  v.Text("RabattProzent", Discount);
  v.Text("ZusatzfeldPosition1", AdditionalArticlePostion1);
  v.Text("ZusatzfeldPosition2", AdditionalArticlePostion2);
  v.Text("ZusatzfeldPosition3", AdditionalArticlePostion3);
  v.Text("ZusatzfeldPosition4", AdditionalArticlePostion4);
  v.Text("ZusatzfeldPosition5", AdditionalArticlePostion5);
}

void EbayArticle::VisitMembers(RecordVisitor& v) const {
  Article::VisitMembers(v);
  v.Text("EbayTitel", EbayTitle);
}

void ShopOrder::VisitMembers(RecordVisitor& v) const {
  v.Text("BestellnummerShop", OrderNumber);
  v.Text("BestellwertBrutto", OrderTotalGross, kAmazon);
  v.Text("Bestelldatum", OrderDate);
  v.Text("BestellwertBrutto", OrderTotalGross, kEpages);
  v.Text("Wunschlieferdatum", DesiredDeliveryDate);
  v.Text("Lieferart", DeliveryKind);
  v.Text("Zahlungsart", PaymentKind);
  v.Text("Amazon-FBA", FulfilledByAmazon, kAmazon);
  v.Text("ZusatzfeldBestellung1", AdditionalOrderField1);
  v.Text("ZusatzfeldBestellung2", AdditionalOrderField2);
  v.Text("ZusatzfeldBestellung3", AdditionalOrderField3);
  v.Text("ZusatzfeldBestellung4", AdditionalOrderField4);
  v.Text("ZusatzfeldBestellung5", AdditionalOrderField5);
  v.Text("AnmerkungenBestellung", OrderMessage);
  v.Record("Kundendaten", CustomerData, orders::CustomerData::kTypeName);
  v.Record("Zuschlagkosten", AdditionalCost, orders::AdditionalCost::kTypeName);
  for (const auto& line : Article) v.Record("BestellArtikel", *line, orders::Article::kTypeName);
}

void EbayOrder::VisitMembers(RecordVisitor& v) const {
  ShopOrder::VisitMembers(v);
  v.Text("EbayKey", EbayKey);
  v.Text("Weblink", Weblink);
  v.Text("EbayOrderLineItem", EbayOrderLineItem);
}

}  // namespace kanvio::orders
