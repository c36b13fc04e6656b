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
  EXPECT_EQ(UserMessages::ARTICLESTOCK_EXPORT_ERROR(), "Die Lagerbestände konnten nicht aktualisiert werden.");
  EXPECT_EQ(Resources::AMAZON_MISSING_MERCHANTID_DATA(),
            "Die Händlernummer  darf nicht leer sein. Bitte überprüfen Sie Ihre Daten.");
  // A backslash and an n, not a line break.
  const std::string& support = Resources::ORDER_GETINFO_ERROR();
  EXPECT_NE(support.find("erneut.\\n Sollte"), std::string::npos);
  EXPECT_EQ(support.find('\n'), std::string::npos);
}

TEST(CatalogueTest, PlaceholdersFillPositionallyInAnyLocale) {
  std::setlocale(LC_ALL, "C.UTF-8");
  EXPECT_EQ(FormatMessage(UserMessages::CONNECTION_TO_X_CHECK(), "gambio"), "Kontrolliere gambio Shop Verbindung...");
  EXPECT_EQ(FormatMessage(UserMessages::CONNECTION_TO_X_ERROR(), "Müller"),
            "Verbindung zum Müller Shop konnte nicht hergestellt werden...");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace kanvio
