#pragma once
// The records read from the host's upload files. Plain data with the host
// files' own field names; texts that may be missing are optional because
// "not given" and "given empty" lead to different updates in the shop.

#include <optional>
#include <string>
#include <vector>

namespace kanvio {

// Which kinds of data the file carried: only flagged fields are sent to the shop.
struct SyncSettings {
  bool SyncExistingArticles = false;
  bool SyncArticlesPriceQuantity = false;
  bool SyncMwst = false;
  bool SyncArtikelPreisNetto = false;
  bool SyncArtikelPreisBrutto = false;
  bool SyncArtikelBild = false;
  bool SyncPreisListe = false;
  bool SyncBeschreibung = false;
  bool SyncEinheit = false;
  bool SyncEinkaufspreis = false;
  bool SyncGewicht = false;
  bool SyncHersteller = false;
  bool SyncKategorie = false;
  bool SyncLagerbestand = false;
  bool SyncMindestbestand = false;
  bool SyncVolumen = false;
  bool SyncWiederbeschaffungsdauer = false;
  bool SyncUrl = false;
};

struct Preis {
  std::string PreisWaehrung = "EUR";
  float VerkaufspreisNetto = 0;
  float VerkraufspreisBrutto = 0;
  float PreisGiltab = 0;  // the quantity from which the price applies
};

struct Article;

// Defined before Article, which holds these in an optional: a vector may
// name an incomplete element type, an optional may not.
struct Preisliste {
  std::string Name{};
  std::vector<Article> Artikel;
  std::vector<Preis> Preise{};
};

struct Article {
  std::string Artikelnummer{};
  std::optional<std::string> Artikelbeschreibung{};
  std::optional<std::string> Anmerkungen{};
  float Mwstcode = 0;
  std::optional<std::string> Einheit{};
  std::optional<std::string> ArtikelKategorie{};
  float Gewicht = 0;
  float Volumen = 0;
  float ArtikelpreisNetto = 0;
  float ArtikelpreisBrutto = 0;
  float ProductPriceQuantity = 0;
  std::string ArtikelPreisWaehrung = "EUR";
  float Einkaufspreis = 0;
  std::optional<std::string> Artikelbild{};
  float LagerbestandAktuell = 0;
  float LagerMindestbestand = 0;
  std::optional<std::string> LagerWiederbeschaffungsdauer{};
  std::vector<Preis> Preise{};
  std::optional<std::vector<Preisliste>> Preislisten{};
  // Whether this row gave the number (an empty text counts as 0 given); the
  // sync flags say only that some row of the file did. A row that left a
  // price out or marked it KVX_IGNORE must not send the start value 0.
  bool MwstcodeGiven = false;
  bool GewichtGiven = false;
  bool VolumenGiven = false;
  bool ArtikelpreisNettoGiven = false;
  bool ArtikelpreisBruttoGiven = false;
  bool ProductPriceQuantityGiven = false;
  bool EinkaufspreisGiven = false;
};

struct Lagerbestand {
  std::string ArtikelnummerWebshop{};
  float LagerBestandAktuell = 0;
  float LagerMindestBestand = 0;
  std::optional<std::string> LagerWiederbeschaffungsDauer{};
  // Whether this record gave the value as a number; the sync flags say only
  // that some record of the file did.
  bool LagerBestandAktuellGiven = false;
  bool LagerMindestBestandGiven = false;
};

}  // namespace kanvio
