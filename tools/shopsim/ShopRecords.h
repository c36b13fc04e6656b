#pragma once
// The records the simulated shop keeps. Article data is kept as the texts that
// arrived, keyed by the element names of the host files, because a shop stores
// what it is given and the tests compare exactly that.

#include <array>
#include <map>
#include <string>
#include <vector>

namespace kanvio::shopsim {

// The article fields of the host's article export, and the stock fields; the
// shop takes them from uploads and gives them back in its article answers.
inline constexpr std::array<const char*, 13> kArticleFields = {"Artikelbeschreibung",
                                                               "MwStCode",
                                                               "Einheit",
                                                               "Artikelkategorie",
                                                               "Gewicht",
                                                               "Volumen",
                                                               "Anmerkungen",
                                                               "ArtikelpreisNetto",
                                                               "ArtikelpreisBrutto",
                                                               "ArtikelPreisBeziehtSichAufMenge",
                                                               "ArtikelpreisWaehrung",
                                                               "Einkaufspreis",
                                                               "Artikelbild"};
inline constexpr std::array<const char*, 3> kStockFields = {"LagerBestandAktuell", "LagerMindestBestand",
                                                            "LagerWiederbeschaffungsdauer"};

struct OrderLine {
  std::string article_number;
  std::string text;
  int quantity = 1;
  double price_gross = 0;
  double tax_percent = 19;
};

struct ShopOrder {
  std::string number;
  std::string date;  // yyyy-MM-dd HH:mm:ss
  std::string customer_number;
  std::string company;
  std::string salutation;
  std::string first_name;
  std::string last_name;
  std::string street;
  std::string postal_code;
  std::string city;
  std::string country_code;
  std::string country;
  std::string email;
  std::string phone;
  std::string shipping;
  std::string payment;
  std::string message;
  double freight_gross = 0;
  std::vector<OrderLine> lines;
  bool fetched = false;
};

struct ShopArticle {
  std::string number;                         // ArtikelnummerWebshop
  std::map<std::string, std::string> fields;  // element name -> text
};

// Field changes for one article, as read from one upload record.
struct ArticleUpdate {
  std::string number;
  std::map<std::string, std::string> fields;
};

}  // namespace kanvio::shopsim
