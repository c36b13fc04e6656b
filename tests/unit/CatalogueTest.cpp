// The German texts, exact to the letter, whatever locale the process runs in.
#include <gtest/gtest.h>

#include <clocale>

#include "support/Resources.h"
#include "support/UserMessages.h"

namespace kanvio {
namespace {

TEST(CatalogueTest, TextsAreExactAndCounted) {
  int messages = 0;
#define KANVIO_MESSAGE(key, text) ++messages;
#include "support/UserMessages.def"
  EXPECT_EQ(messages, 45);
  int resources = 0;
#undef KANVIO_MESSAGE
#define KANVIO_MESSAGE(key, text) ++resources;
#include "support/Resources.def"
#undef KANVIO_MESSAGE
  EXPECT_EQ(resources, 13);

  EXPECT_EQ(UserMessages::ORDERS_GET_NOTHING_NEW(), "Keine neuen Bestellungen zum Abholen vorhanden...");
  EXPECT_EQ(UserMessages::ARTICLESTOCK_EXPORT_ERROR(),
            "Die Lagerbestände konnten nicht aktualisiert werden.");
  EXPECT_EQ(Resources::AMAZON_MISSING_MERCHANTID_DATA(),
            "Die Händlernummer  darf nicht leer sein. Bitte überprüfen Sie Ihre Daten.");
  // A backslash and an n, not a line break.
  const std::string& support = Resources::ORDER_GETINFO_ERROR();
  EXPECT_NE(support.find("erneut.\\n Sollte"), std::string::npos);
  EXPECT_EQ(support.find('\n'), std::string::npos);
}

// Every text as the host must read it, written out here letter for letter
// rather than taken from the catalogue: a text changed by one character in
// the catalogue must fail here.
TEST(CatalogueTest, EveryTextAsTheHostReadsIt) {
  struct Entry {
    const char* key;
    const std::string& text;
    const char* expected;
  };
  const Entry entries[] = {
      {"AMAZON_GET_REPORTS", UserMessages::AMAZON_GET_REPORTS(),
       "Hole neueste Bestellberichte von Amazon ab..."},
      {"AMAZON_GET_REPORTS_SUCCESS", UserMessages::AMAZON_GET_REPORTS_SUCCESS(),
       "Amazon Bestellberichte abgeholt..."},
      {"AMAZON_SET_FBA_REPORTS", UserMessages::AMAZON_SET_FBA_REPORTS(),
       "Aktiviere das automatische Erzeugen von Bestellberichten für FBA..."},
      {"AMAZON_SET_FBA_REPORTS_ERROR", UserMessages::AMAZON_SET_FBA_REPORTS_ERROR(),
       "Beim Aktivieren der FBA-Bestellberichte ist ein Fehler aufgetreten..."},
      {"AMAZON_SET_FBA_REPORTS_SUCCESS", UserMessages::AMAZON_SET_FBA_REPORTS_SUCCESS(),
       "Erzeugung von FBA-Bestellberichten aktiviert..."},
      {"AMAZON_SET_REPORTS", UserMessages::AMAZON_SET_REPORTS(),
       "Aktiviere das automatische Erzeugen von Bestellberichten..."},
      {"AMAZON_SET_REPORTS_ERROR", UserMessages::AMAZON_SET_REPORTS_ERROR(),
       "Beim Aktivieren der Bestellberichte ist ein Fehler aufgetreten..."},
      {"AMAZON_SET_REPORTS_SUCCESS", UserMessages::AMAZON_SET_REPORTS_SUCCESS(),
       "Erzeugung von Bestellberichten aktiviert..."},
      {"ARTICLELIST_GET", UserMessages::ARTICLELIST_GET(), "Ermittle Daten aus dem Webshop..."},
      {"ARTICLELIST_GET_ERROR", UserMessages::ARTICLELIST_GET_ERROR(),
       "Es wurde keine Artikelliste aus dem Shop abgeholt..."},
      {"ARTICLELIST_GET_SUCCESS", UserMessages::ARTICLELIST_GET_SUCCESS(), "Artikelliste abgeholt..."},
      {"ARTICLEPRICE_EXPORT", UserMessages::ARTICLEPRICE_EXPORT(), "Artikelpreisexport wird vorbereitet..."},
      {"ARTICLEPRICE_EXPORT_ERROR", UserMessages::ARTICLEPRICE_EXPORT_ERROR(),
       "Die Artikelpreise konnten nicht aktualisiert werden."},
      {"ARTICLEPRICE_EXPORT_SUCCESS", UserMessages::ARTICLEPRICE_EXPORT_SUCCESS(),
       "Alle Artikelpreise aktualisiert..."},
      {"ARTICLESTOCK_EXPORT", UserMessages::ARTICLESTOCK_EXPORT(), "Setze Lagerbestand der Artikel..."},
      {"ARTICLESTOCK_EXPORT_ERROR", UserMessages::ARTICLESTOCK_EXPORT_ERROR(),
       "Die Lagerbestände konnten nicht aktualisiert werden."},
      {"ARTICLESTOCK_EXPORT_SUCCESS", UserMessages::ARTICLESTOCK_EXPORT_SUCCESS(),
       "Alle Lagerbestände aktualisiert..."},
      {"ARTICLES_MAY_MISS", UserMessages::ARTICLES_MAY_MISS(),
       "Bitte kontrollieren Sie ob alle Artikel im Shop vorhanden sind..."},
      {"ARTICLE_EXPORT", UserMessages::ARTICLE_EXPORT(), "Artikelexport wird vorbereitet..."},
      {"ARTICLE_EXPORT_ERROR", UserMessages::ARTICLE_EXPORT_ERROR(),
       "Beim exportieren der Artikel trat ein Fehler auf..."},
      {"ARTICLE_EXPORT_NO_ARTICLE", UserMessages::ARTICLE_EXPORT_NO_ARTICLE(),
       "Es wurden keine Artikel für den Export gefunden..."},
      {"ARTICLE_EXPORT_SUCCESS", UserMessages::ARTICLE_EXPORT_SUCCESS(), "Artikel erfolgreich exportiert..."},
      {"ARTICLE_GET", UserMessages::ARTICLE_GET(), "Hole Artikeldaten..."},
      {"ARTICLE_GET_ERROR", UserMessages::ARTICLE_GET_ERROR(),
       "Es wurden keine Artikel aus dem Shop abgeholt..."},
      {"ARTICLE_GET_SUCCESS", UserMessages::ARTICLE_GET_SUCCESS(), "Artikeldaten abgeholt..."},
      {"ARTICLE_PRICE_LIST_EXPORT", UserMessages::ARTICLE_PRICE_LIST_EXPORT(),
       "Aktualisiere Preislisten zu Artikel..."},
      {"ARTICLE_PRICE_LIST_EXPORT_ERROR", UserMessages::ARTICLE_PRICE_LIST_EXPORT_ERROR(),
       "Beim Preislistenexport ist ein Fehler aufgetreten..."},
      {"ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING", UserMessages::ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING(),
       "Die Preislisten wurden ohne Artikelzuordnung angelegt..."},
      {"ARTICLE_PRICE_LIST_EXPORT_SUCCESS", UserMessages::ARTICLE_PRICE_LIST_EXPORT_SUCCESS(),
       "Alle Preislisten wurden angelegt und zum Artikel hinzugefügt..."},
      {"CONNECTION_SUCCESS", UserMessages::CONNECTION_SUCCESS(), "Verbindung OK..."},
      {"CONNECTION_TO_X_CHECK", UserMessages::CONNECTION_TO_X_CHECK(), "Kontrolliere {0} Shop Verbindung..."},
      {"CONNECTION_TO_X_ERROR", UserMessages::CONNECTION_TO_X_ERROR(),
       "Verbindung zum {0} Shop konnte nicht hergestellt werden..."},
      {"EBAY_GET_ORDERS", UserMessages::EBAY_GET_ORDERS(), "Hole Bestellungen von eBay..."},
      {"EBAY_GET_ORDERS_SUCCESS", UserMessages::EBAY_GET_ORDERS_SUCCESS(),
       "Bestellungen wurden erfolgreich von eBay abgeholt..."},
      {"GET_OPEN_ORDERS_COUNT", UserMessages::GET_OPEN_ORDERS_COUNT(),
       "Prüfe ob noch offene Bestellungen vorhanden sind..."},
      {"GET_ORDERS_ERROR", UserMessages::GET_ORDERS_ERROR(),
       "Beim abholen der Bestellungen ist ein Fehler aufgetreten..."},
      {"NO_ARTICLE", UserMessages::NO_ARTICLE(), "Es wurden keine Artikel im Shop gefunden..."},
      {"ORDERS_GET", UserMessages::ORDERS_GET(), "Hole Bestellungen..."},
      {"ORDERS_GET_ERROR", UserMessages::ORDERS_GET_ERROR(),
       "Es wurden keine Bestellungen aus dem Shop abgeholt..."},
      {"ORDERS_GET_NOTHING_NEW", UserMessages::ORDERS_GET_NOTHING_NEW(),
       "Keine neuen Bestellungen zum Abholen vorhanden..."},
      {"ORDERS_GET_SUCCESS", UserMessages::ORDERS_GET_SUCCESS(), "Neue Bestellungen abgeholt..."},
      {"ORDER_CHANGE_STATES", UserMessages::ORDER_CHANGE_STATES(),
       "Ändere Bestellstatus der abgeholten Bestellungen..."},
      {"ORDER_CHANGE_STATES_ERROR", UserMessages::ORDER_CHANGE_STATES_ERROR(),
       "Der Status der Bestellungen konnte nicht geändert werden..."},
      {"ORDER_CHANGE_STATES_SUCCESS", UserMessages::ORDER_CHANGE_STATES_SUCCESS(),
       "Bestellstatus der Bestellungen geändert..."},
      {"SHOP_NOT_FOUND", UserMessages::SHOP_NOT_FOUND(), "Ihr Shop wurde nicht gefunden..."},
      {"AMAZON_MISSING_MARKETPLACE_DATA", Resources::AMAZON_MISSING_MARKETPLACE_DATA(),
       "Die MarketPlace ID darf nicht leer sein. Bitte überprüfen Sie Ihre Daten."},
      {"AMAZON_MISSING_MERCHANTID_DATA", Resources::AMAZON_MISSING_MERCHANTID_DATA(),
       "Die Händlernummer  darf nicht leer sein. Bitte überprüfen Sie Ihre Daten."},
      {"AMAZON_MISSING_MERCHANTKIND_DATA", Resources::AMAZON_MISSING_MERCHANTKIND_DATA(),
       "Die Händler Plattform (Seller Central oder Marketplace) darf nicht leer sein. Bitte überprüfen Sie "
       "Ihre Daten."},
      {"AMAZON_MISSING_SECRETKEY_DATA", Resources::AMAZON_MISSING_SECRETKEY_DATA(),
       "Der geheime Schlüssel darf nicht leer sein. Bitte überprüfen Sie Ihre Daten."},
      {"ARTICLELIST_GETINFO_ERROR", Resources::ARTICLELIST_GETINFO_ERROR(),
       "Beim Abholen der Artikelliste ist ein Fehler aufgetreten. Bitte kontrollieren Sie Ihre Einstellungen "
       "und versuchen Sie es erneut.\\n Sollte es weiterhin nicht gehen, wenden Sie sich an den technischen "
       "Support."},
      {"ARTICLES_GETINFO_ERROR", Resources::ARTICLES_GETINFO_ERROR(),
       "Beim Abholen der Artikel ist ein Fehler aufgetreten. Bitte kontrollieren Sie Ihre Einstellungen und "
       "versuchen Sie es erneut.\\n Sollte es weiterhin nicht gehen, wenden Sie sich an den technischen "
       "Support."},
      {"EBAY_AUTH_URL", Resources::EBAY_AUTH_URL(), "Adresse: "},
      {"EBAY_MISSING_TOKEN", Resources::EBAY_MISSING_TOKEN(), "Der eBay Token konnte nicht gefunden werden."},
      {"EBAY_MISSING_USERNAME", Resources::EBAY_MISSING_USERNAME(),
       "Der eBay Benutzername darf nicht leer sein."},
      {"ORDER_GETINFO_ERROR", Resources::ORDER_GETINFO_ERROR(),
       "Beim Abholen der Bestellungen ist ein Fehler aufgetreten. Bitte kontrollieren Sie Ihre Einstellungen "
       "und versuchen Sie es erneut.\\n Sollte es weiterhin nicht gehen, wenden Sie sich an den technischen "
       "Support."},
      {"SETSTATUS_ERROR", Resources::SETSTATUS_ERROR(),
       "Beim Aktualisieren des Bestellstatus ist ein Fehler aufgetreten. Ihre Bestellungen wurden import "
       "aber der Status sollte von Ihnen angepasst werden."},
      {"_GET_AMAZON_FULFILLED_SHIPMENTS_DATA_", Resources::_GET_AMAZON_FULFILLED_SHIPMENTS_DATA_(),
       "_GET_AMAZON_FULFILLED_SHIPMENTS_DATA_"},
      {"_GET_ORDERS_DATA_", Resources::_GET_ORDERS_DATA_(), "_GET_ORDERS_DATA_"},
  };
  for (const auto& entry : entries) EXPECT_EQ(entry.text, entry.expected) << entry.key;
  EXPECT_EQ(std::size(entries), 45u + 13u);
}

TEST(CatalogueTest, PlaceholdersFillPositionallyInAnyLocale) {
  std::setlocale(LC_ALL, "C.UTF-8");
  EXPECT_EQ(FormatMessage(UserMessages::CONNECTION_TO_X_CHECK(), "gambio"),
            "Kontrolliere gambio Shop Verbindung...");
  EXPECT_EQ(FormatMessage(UserMessages::CONNECTION_TO_X_ERROR(), "Müller"),
            "Verbindung zum Müller Shop konnte nicht hergestellt werden...");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace kanvio
