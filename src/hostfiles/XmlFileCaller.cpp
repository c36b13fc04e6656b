#include "hostfiles/XmlFileCaller.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/FileRecords.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/RecordFields.h"
#include "hostfiles/ResultProtocol.h"
#include "support/Error.h"
#include "support/GermanNumber.h"
#include "support/Parser.h"

namespace kanvio {
namespace {

// Named in log lines as the origin of a conversion failure.
constexpr const char* kSource = "XmlFileCaller";

constexpr std::string_view kIgnoreMarker = "KVX_IGNORE";
// Stock files also know the marker without the underscore.
constexpr std::string_view kStockIgnoreMarker = "KVXIGNORE";

bool IsIgnoreMarker(std::string_view text, bool stock_file) {
  return text == kIgnoreMarker || (stock_file && text == kStockIgnoreMarker);
}

// The text of a field the file asks to be updated; nullopt for a missing or ignored field.
std::optional<std::string> GivenText(pugi::xml_node field, bool stock_file = false) {
  if (!field) return std::nullopt;
  std::string text = InnerText(field);
  if (IsIgnoreMarker(text, stock_file)) return std::nullopt;
  return text;
}

// The same without a copy, for texts that are only looked at (numbers, markers).
std::optional<std::string_view> GivenView(pugi::xml_node field, std::string& storage,
                                          bool stock_file = false) {
  if (!field) return std::nullopt;
  const std::string_view text = InnerTextView(field, storage);
  if (IsIgnoreMarker(text, stock_file)) return std::nullopt;
  return text;
}

// With comma, every full stop is a decimal comma, so "1.5" and "1,5" agree.
std::optional<float> ToFloat(std::string_view text, bool comma) {
  std::string replaced;
  if (comma && text.find('.') != std::string_view::npos) {
    replaced.assign(text);
    std::replace(replaced.begin(), replaced.end(), '.', ',');
    text = replaced;
  }
  const std::optional<double> value = ParseGermanDouble(text);
  if (!value || !(std::fabs(*value) <= std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(*value);
}

std::string NotANumber(std::string_view text) { return fmt::format("\"{}\" ist keine gültige Zahl.", text); }

void LogBadNumber(std::string_view log_name, std::string_view text) {
  Logger::LogError(fmt::format("Export {} -> {} - {}", log_name, kSource, NotANumber(text)));
}

// ---- articles and article prices ----

constexpr const char* kArticleNumber = "ArtikelnummerWebshop";
constexpr const char* kNoArticleNumber =
    "Es wurde eine Artikelnummer nicht gefunden. Artikelexport wird abgebrochen.";
constexpr const char* kNoArticleName =
    "Es wurde zu einem Artikel kein Name gefunden. Artikelexport wird abgebrochen.";

struct NumberField {
  const char* element;
  float Article::*target;
  bool Article::*given;
  bool SyncSettings::*flag;
  bool comma;
  const char* message;  // for the user when the text is no number
};

constexpr NumberField kMwStCode{"MwStCode",
                                &Article::Mwstcode,
                                &Article::MwstcodeGiven,
                                &SyncSettings::SyncMwst,
                                false,
                                "Der MwStCode hat kein gültiges Format... Artikelexport wird beendet"};
constexpr NumberField kGewicht{"Gewicht",
                               &Article::Gewicht,
                               &Article::GewichtGiven,
                               &SyncSettings::SyncGewicht,
                               true,
                               "Das Gewicht hat kein gültiges Format... Artikelexport wird beendet"};
constexpr NumberField kVolumen{"Volumen",
                               &Article::Volumen,
                               &Article::VolumenGiven,
                               &SyncSettings::SyncVolumen,
                               true,
                               "Das Volumen hat kein gültiges Format... Artikelexport wird beendet"};
constexpr NumberField kNetto{"ArtikelpreisNetto",
                             &Article::ArtikelpreisNetto,
                             &Article::ArtikelpreisNettoGiven,
                             &SyncSettings::SyncArtikelPreisNetto,
                             true,
                             "Der ArtikelpreisNetto hat kein gültiges Format... Artikelexport wird beendet"};
constexpr NumberField kBrutto{
    "ArtikelpreisBrutto",
    &Article::ArtikelpreisBrutto,
    &Article::ArtikelpreisBruttoGiven,
    &SyncSettings::SyncArtikelPreisBrutto,
    true,
    "Der ArtikelpreisBrutto hat kein gültiges Format... Artikelexport wird beendet"};
constexpr NumberField kMenge{
    "ArtikelPreisBeziehtSichAufMenge",
    &Article::ProductPriceQuantity,
    &Article::ProductPriceQuantityGiven,
    &SyncSettings::SyncArticlesPriceQuantity,
    false,
    "Der ArtikelPreisBeziehtSichAufMenge hat kein gültiges Format... Artikelexport wird beendet"};
constexpr NumberField kEinkaufspreis{
    "Einkaufspreis",
    &Article::Einkaufspreis,
    &Article::EinkaufspreisGiven,
    &SyncSettings::SyncEinkaufspreis,
    true,
    "Der Einkaufspreis hat kein gültiges Format... Artikelexport wird beendet"};

// In file order: when several numbers are bad, the user sees the message of the last one.
constexpr NumberField kArticleNumbers[] = {kMwStCode, kGewicht, kVolumen,      kNetto,
                                           kBrutto,   kMenge,   kEinkaufspreis};
constexpr NumberField kPriceNumbers[] = {kNetto, kBrutto, kMenge, kEinkaufspreis};

struct TextField {
  const char* element;
  std::optional<std::string> Article::*target;
  bool SyncSettings::*flag;
};

constexpr TextField kArticleTexts[] = {
    {"Einheit", &Article::Einheit, &SyncSettings::SyncEinheit},
    {"Artikelkategorie", &Article::ArtikelKategorie, &SyncSettings::SyncKategorie},
    {"Artikelbild", &Article::Artikelbild, &SyncSettings::SyncArtikelBild},
};

// A bad number leaves 0 and no flag: sending a value the host never wrote would overwrite the shop's.
void ReadNumber(const RecordFields& fields, const NumberField& field, Article& article,
                std::string& product_error, SyncSettings& sync_settings) {
  std::string storage;
  const std::optional<std::string_view> text = GivenView(fields[field.element], storage);
  if (!text) return;
  const std::optional<float> value = text->empty() ? 0.0f : ToFloat(*text, field.comma);
  if (!value) {
    product_error = field.message;
    LogBadNumber(field.element, *text);
    return;
  }
  article.*field.target = *value;
  article.*field.given = true;
  sync_settings.*field.flag = true;
}

// The host joins name and notes with "<br>" in one field; the shop keeps them apart.
void ReadDescription(pugi::xml_node field, Article& article, SyncSettings& sync_settings) {
  std::string text = InnerText(field);
  const std::size_t marker = text.find("<br>");
  if (marker != std::string::npos) {
    article.Anmerkungen = text.substr(marker);
    text.resize(marker);
    sync_settings.SyncBeschreibung = true;
  }
  article.Artikelbeschreibung = std::move(text);
}

// A file names the same currency in row after row: the last answer is kept.
class CurrencyCodes {
 public:
  const std::string& Of(std::string_view text) {
    if (!known_ || text != text_) {
      text_.assign(text);
      code_ = Parser::ParseCurrency(text_);
      known_ = true;
    }
    return code_;
  }

 private:
  bool known_ = false;
  std::string text_, code_;
};

void ReadCurrency(const RecordFields& fields, Article& article, CurrencyCodes& currencies) {
  std::string storage;
  if (auto text = GivenView(fields["ArtikelpreisWaehrung"], storage))
    article.ArtikelPreisWaehrung = currencies.Of(*text);
}

Article ReadArticleRow(const RecordFields& fields, std::string& product_error, SyncSettings& sync_settings,
                       CurrencyCodes& currencies) {
  Article article;
  if (pugi::xml_node description = fields["Artikelbeschreibung"])
    ReadDescription(description, article, sync_settings);
  else
    product_error = kNoArticleName;
  for (const NumberField& field : kArticleNumbers)
    ReadNumber(fields, field, article, product_error, sync_settings);
  for (const TextField& field : kArticleTexts) {
    if (auto text = GivenText(fields[field.element])) {
      article.*field.target = std::move(text);
      sync_settings.*field.flag = true;
    }
  }
  std::string storage;
  if (GivenView(fields["Anmerkungen"], storage)) sync_settings.SyncBeschreibung = true;
  ReadCurrency(fields, article, currencies);
  return article;
}

Article ReadPriceRow(const RecordFields& fields, std::string& product_error, SyncSettings& sync_settings,
                     CurrencyCodes& currencies) {
  Article article;
  for (const NumberField& field : kPriceNumbers)
    ReadNumber(fields, field, article, product_error, sync_settings);
  ReadCurrency(fields, article, currencies);
  return article;
}

// Articles and article prices share their reading and differ in their
// fields and in what a second record with the same number means.
template <typename ReadRow, typename OnDuplicate>
std::optional<ArticleMap> ReadArticleRows(const std::filesystem::path& file, std::string& product_error,
                                          std::initializer_list<const char*> field_names, ReadRow read_row,
                                          OnDuplicate on_duplicate) {
  ArticleMap articles;
  bool complete = true;
  ForEachFileRecord(
      file, "row", field_names, [&](std::size_t count) { articles.Reserve(count); },
      [&](const RecordFields& fields) {
        const pugi::xml_node number = fields[kArticleNumber];
        if (!number) {
          product_error = kNoArticleNumber;
          return complete = false;
        }
        Article article = read_row(fields);
        article.Artikelnummer = InnerText(number);
        const std::string key = article.Artikelnummer;
        if (!articles.Add(key, std::move(article))) on_duplicate(key);
        return true;
      });
  if (!complete) return std::nullopt;
  return articles;
}

std::optional<ArticleMap> ReadArticles(const std::filesystem::path& file, std::string& product_error,
                                       SyncSettings& sync_settings) {
  CurrencyCodes currencies;
  return ReadArticleRows(
      file, product_error,
      {kArticleNumber, "Artikelbeschreibung", "MwStCode", "Einheit", "Artikelkategorie", "Gewicht", "Volumen",
       "Anmerkungen", "ArtikelpreisNetto", "ArtikelpreisBrutto", "ArtikelPreisBeziehtSichAufMenge",
       "ArtikelpreisWaehrung", "Einkaufspreis", "Artikelbild"},
      [&](const RecordFields& fields) {
        return ReadArticleRow(fields, product_error, sync_settings, currencies);
      },
      [](const std::string& key) { Logger::LogWarning("Double Articlenumber: " + key); });
}

std::optional<ArticleMap> ReadArticlePrices(const std::filesystem::path& file, std::string& product_error,
                                            SyncSettings& sync_settings) {
  CurrencyCodes currencies;
  return ReadArticleRows(
      file, product_error,
      {kArticleNumber, "ArtikelpreisNetto", "ArtikelpreisBrutto", "ArtikelpreisWaehrung",
       "ArtikelPreisBeziehtSichAufMenge", "Einkaufspreis"},
      [&](const RecordFields& fields) {
        return ReadPriceRow(fields, product_error, sync_settings, currencies);
      },
      [](const std::string& key) {
        throw Error(fmt::format("Die Artikelnummer {} kommt in der Preisdatei mehrfach vor.", key));
      });
}

// ---- stock values ----

// Stands for "no value" in the stock fields (not -32768).
constexpr float kNoStockValue = -32758;

struct StockNumberField {
  const char* element;
  float Lagerbestand::*target;
  bool Lagerbestand::*given;
  bool SyncSettings::*flag;
  const char* message;
  const char* log_name;
};

constexpr StockNumberField kStockNumbers[] = {
    {"LagerBestandAktuell", &Lagerbestand::LagerBestandAktuell, &Lagerbestand::LagerBestandAktuellGiven,
     &SyncSettings::SyncLagerbestand,
     "Der aktuelle Lagerbestand hat kein gültiges Format... Lagerbestand Export wird beendet",
     "Lagerbestand"},
    {"LagerMindestBestand", &Lagerbestand::LagerMindestBestand, &Lagerbestand::LagerMindestBestandGiven,
     &SyncSettings::SyncMindestbestand,
     "Der Mindestlagerbestand hat kein gültiges Format... Lagerbestand Export wird beendet",
     "Mindestlagerbestand"},
};

// False when the text is no number: the whole stock export stops.
bool ReadStockNumber(const RecordFields& fields, const StockNumberField& field, Lagerbestand& stock,
                     std::string& product_error, SyncSettings& sync_settings) {
  const std::optional<std::string> text = GivenText(fields[field.element], true);
  if (!text) return true;
  if (text->empty()) {
    stock.*field.target = kNoStockValue;
    return true;
  }
  const std::optional<float> value = ToFloat(*text, true);
  if (!value) {
    product_error = field.message;
    LogBadNumber(field.log_name, *text);
    return false;
  }
  stock.*field.target = *value;
  stock.*field.given = true;
  sync_settings.*field.flag = true;
  return true;
}

std::optional<std::vector<Lagerbestand>> ReadStockValues(const std::filesystem::path& file,
                                                         std::string& product_error,
                                                         SyncSettings& sync_settings) {
  const HostXmlFile host_file = HostXmlFile::LoadForReading(file);
  std::vector<Lagerbestand> stock_values;
  for (pugi::xml_node record : Descendants(host_file.Document(), "Artikel")) {
    const RecordFields fields(record, {"ArtikelnummerWebshop", "LagerBestandAktuell", "LagerMindestBestand",
                                       "LagerWiederbeschaffungsdauer"});
    const pugi::xml_node number = fields["ArtikelnummerWebshop"];
    if (!number) {
      product_error = "Es wurde keine Artikelnummer gefunden. Lagerbestandexport wird abgebrochen.";
      return std::nullopt;
    }
    Lagerbestand stock;
    stock.ArtikelnummerWebshop = InnerText(number);
    for (const StockNumberField& field : kStockNumbers)
      if (!ReadStockNumber(fields, field, stock, product_error, sync_settings)) return std::nullopt;
    if (auto text = GivenText(fields["LagerWiederbeschaffungsdauer"], true)) {
      sync_settings.SyncWiederbeschaffungsdauer |= !text->empty();
      stock.LagerWiederbeschaffungsDauer = text->empty() ? "nil" : std::move(*text);
    }
    stock_values.push_back(std::move(stock));
  }
  return stock_values;
}

// ---- price lists ----

// A bad number fails the whole price list read.
void ReadPriceNumber(const RecordFields& fields, const char* element, float& target) {
  const std::optional<std::string> text = GivenText(fields[element]);
  if (!text || text->empty()) return;
  const std::optional<float> value = ToFloat(*text, true);
  if (!value)
    throw Error(fmt::format("Der Wert \"{}\" von {} in der Preislistendatei ist keine gültige Zahl.", *text,
                            element));
  target = *value;
}

Preis ReadPrice(pugi::xml_node element) {
  const RecordFields fields(
      element, {"ArtikelpreisWaehrung", "VerkaufsPreisNetto", "VerkaufsPreisBrutto", "PreisGiltAb"});
  Preis price;
  if (auto currency = GivenText(fields["ArtikelpreisWaehrung"]))
    price.PreisWaehrung = Parser::ParseCurrency(*currency);
  ReadPriceNumber(fields, "VerkaufsPreisNetto", price.VerkaufspreisNetto);
  ReadPriceNumber(fields, "VerkaufsPreisBrutto", price.VerkraufspreisBrutto);
  ReadPriceNumber(fields, "PreisGiltAb", price.PreisGiltab);
  return price;
}

Preisliste ReadPriceList(pugi::xml_node list_element, std::string name) {
  Preisliste list;
  list.Name = std::move(name);
  for (pugi::xml_node article_element : Descendants(list_element, "Artikel")) {
    const pugi::xml_node number =
        RecordFields(article_element, {"ArtikelnummerWebshop"})["ArtikelnummerWebshop"];
    if (!number) continue;
    Article article;
    article.Artikelnummer = InnerText(number);
    for (pugi::xml_node price : Descendants(article_element, "Preis"))
      article.Preise.push_back(ReadPrice(price));
    list.Artikel.push_back(std::move(article));
  }
  return list;
}

std::vector<Preisliste> ReadPriceLists(const std::filesystem::path& file, std::string& product_error) {
  const HostXmlFile host_file = HostXmlFile::LoadForReading(file);
  std::vector<Preisliste> lists;
  for (pugi::xml_node list_element : Descendants(host_file.Document(), "Preisliste")) {
    const pugi::xml_node name = RecordFields(list_element, {"Name"})["Name"];
    std::string name_text = name ? InnerText(name) : std::string();
    if (name_text.empty()) {
      product_error = "Nicht alle Preislisten wurden angelegt, da bei einigen der Name fehlte.";
      continue;
    }
    lists.push_back(ReadPriceList(list_element, std::move(name_text)));
  }
  return lists;
}

std::filesystem::path HostFilePath() { return PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()); }

}  // namespace

std::optional<ArticleMap> XmlFileCaller::ReadXmlArticles(const std::filesystem::path& file,
                                                         std::string& product_error,
                                                         SyncSettings& sync_settings) {
  sync_settings = SyncSettings{};
  try {
    return ReadArticles(file, product_error, sync_settings);
  } catch (const std::exception& failure) {
    product_error = failure.what();
    Logger::LogError(failure);
    ResultProtocol::AppendRollback(file, "Artikelexport");
    return std::nullopt;
  }
}

std::optional<ArticleMap> XmlFileCaller::ReadXmlArticlePrices(const std::filesystem::path& file,
                                                              std::string& product_error,
                                                              SyncSettings& sync_settings) {
  sync_settings = SyncSettings{};
  try {
    return ReadArticlePrices(file, product_error, sync_settings);
  } catch (const std::exception& failure) {
    product_error = failure.what();
    ResultProtocol::AppendRollback(file, "Artikelpreisexport");
    return std::nullopt;
  }
}

std::optional<std::vector<Lagerbestand>> XmlFileCaller::ReadXmlStockValues(const std::filesystem::path& file,
                                                                           std::string& product_error,
                                                                           SyncSettings& sync_settings) {
  sync_settings = SyncSettings{};
  try {
    return ReadStockValues(file, product_error, sync_settings);
  } catch (const std::exception& failure) {
    product_error = failure.what();
    Logger::LogError(std::string(failure.what()) + " -> XmlFileCaller::ReadXmlStockValues");
    ResultProtocol::AppendRollback(file, "LagerbestandExport");
    return std::nullopt;
  }
}

std::optional<std::vector<Preisliste>> XmlFileCaller::ReadXmlPriceLists(const std::filesystem::path& file,
                                                                        std::string& product_error,
                                                                        SyncSettings& sync_settings) {
  sync_settings = SyncSettings{};
  try {
    return ReadPriceLists(file, product_error);
  } catch (const std::exception& failure) {
    Logger::LogError(std::string(failure.what()) + " -> XmlFileCaller::ReadXmlPriceLists");
    ResultProtocol::AppendRollback(file, "PreislistenExport");
    return std::nullopt;
  }
}

std::optional<ArticleMap> XmlFileCaller::ReadXmlArticles(std::string& product_error,
                                                         SyncSettings& sync_settings) {
  return ReadXmlArticles(HostFilePath(), product_error, sync_settings);
}

std::optional<ArticleMap> XmlFileCaller::ReadXmlArticlePrices(std::string& product_error,
                                                              SyncSettings& sync_settings) {
  return ReadXmlArticlePrices(HostFilePath(), product_error, sync_settings);
}

std::optional<std::vector<Lagerbestand>> XmlFileCaller::ReadXmlStockValues(std::string& product_error,
                                                                           SyncSettings& sync_settings) {
  return ReadXmlStockValues(HostFilePath(), product_error, sync_settings);
}

std::optional<std::vector<Preisliste>> XmlFileCaller::ReadXmlPriceLists(std::string& product_error,
                                                                        SyncSettings& sync_settings) {
  return ReadXmlPriceLists(HostFilePath(), product_error, sync_settings);
}

}  // namespace kanvio
