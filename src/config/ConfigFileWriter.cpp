#include "config/ConfigFileWriter.h"

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFilePath.h"
#include "config/Logger.h"
#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

using namespace config_file;

constexpr const char* kEbayNotPaid[] = {
    "NotPaid",
    "PaymentPendingWithPayPal",
    "PaymentPendingWithEscrow",
    "PaidWithEscrow",
    "EscrowPaymentCancelled",
    "PaymentPendingWithPaisaPay",
    "PaidWithPaisaPay",
    "PaymentPending",
    "PaymentPendingWithPaisaPayEscrow",
    "PaidWithPaisaPayEscrow",
    "PaisaPayNotPaid",
    "Refunded",
    "WaitingForCODPayment",
    "PaidCOD",
    "CustomCode",
};
constexpr const char* kEbayPaid[] = {"BuyerHasNotCompletedCheckout", "PaidWithPayPal", "MarkedAsPaid",
                                     "Paid"};

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error("Die Datei " + platform::PathToUtf8(file) + " konnte nicht gelesen werden.");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::istringstream content(text::DecodeToUtf8(bytes.str()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(content, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

bool IsOldFormat(const std::filesystem::path& file) {
  const auto lines = ReadLines(file);
  return !lines.empty() && text::StartsWith(lines.front(), "[");
}

// Element names as XML allows them, close enough for the keys of the old file.
bool IsXmlName(std::string_view name) {
  auto start = [](unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; };
  auto rest = [&](unsigned char c) { return start(c) || std::isdigit(c) || c == '-' || c == '.'; };
  if (name.empty() || !start(static_cast<unsigned char>(name.front()))) return false;
  for (unsigned char c : name.substr(1))
    if (!rest(c)) return false;
  return true;
}

struct OldEntry {
  std::string key;
  bool value;
};

// The key=value lines of the old format, in the order of the file. Throws on
// a value that is not a Boolean and on a key that occurs twice.
std::vector<OldEntry> ReadOldEntries(const std::filesystem::path& file) {
  std::vector<OldEntry> entries;
  std::set<std::string> keys;
  for (const auto& line : ReadLines(file)) {
    const auto equals = line.find('=');
    if (line.empty() || line.front() == '[' || equals == std::string::npos) continue;
    const std::string key = text::Trim(line.substr(0, equals));
    const std::string value = line.substr(equals + 1);
    const auto parsed = ParseBoolean(value);
    if (!parsed)
      throw Error("Der Wert \"" + value + "\" von " + key +
                  " in der alten Konfigurationsdatei ist kein Wahrheitswert.");
    if (!keys.insert(key).second)
      throw Error("Der Schlüssel " + key + " kommt in der alten Konfigurationsdatei mehrfach vor.");
    entries.push_back({key, *parsed});
  }
  return entries;
}

// The old converter wrote Booleans capitalised.
const char* CapitalizedText(bool value) { return value ? "True" : "False"; }

pugi::xml_document ConvertedDocument(const std::vector<OldEntry>& entries) {
  pugi::xml_document document;
  auto root = document.append_child(kRoot);
  auto generell = root.append_child("generell");
  auto shops = root.append_child("shops");
  const auto basic = BasicDocument();
  shops.append_child("amazon").append_copy(basic.select_node("marlixKanvioConfig/shops/amazon/order").node());
  auto strato = shops.append_child("strato");
  auto strato_order = strato.append_child("order");
  const OldEntry* article_description = nullptr;
  for (const auto& entry : entries) {
    if (entry.key == "SPLIT_PACKAGES") {
      AppendValue(generell, "PackageSplitting", CapitalizedText(entry.value));
    } else if (entry.key == "Artikelbeschreibung") {
      article_description = &entry;
    } else if (text::StartsWith(entry.key, "is") || text::StartsWith(entry.key, "DoNot")) {
      if (!IsXmlName(entry.key))
        throw Error("Der Schlüssel " + entry.key + " ist kein gültiger Elementname.");
      AppendValue(strato_order, entry.key.c_str(), CapitalizedText(entry.value));
    }
  }
  if (article_description) {
    AppendValue(strato_order, "importAttributes", CapitalizedText(article_description->value));
    AppendValue(strato.append_child("articleimport"), "importAttributes",
                CapitalizedText(article_description->value));
  }
  return document;
}

void ConvertOldFormat(const std::filesystem::path& file) {
  const auto entries = ReadOldEntries(file);
  if (entries.empty()) return;
  Save(ConvertedDocument(entries), file);
}

pugi::xml_node Require(const pugi::xml_document& document, const char* xpath) {
  auto node = document.select_node(xpath).node();
  if (!node) throw XmlError(std::string("Das Element ") + xpath + " fehlt in der Konfigurationsdatei.");
  return node;
}

bool Missing(const pugi::xml_document& document, const char* xpath) { return !document.select_node(xpath); }

// Adds what newer versions introduced, each step saved on its own so that a
// failure keeps the steps done before it.
void Upgrade(const std::filesystem::path& file) {
  auto document = Load(file);
  if (Missing(document, "marlixKanvioConfig/generell/PackageSplittingAmount")) {
    AppendValue(Require(document, "marlixKanvioConfig/generell"), "PackageSplittingAmount", "100");
    Save(document, file);
  }
  if (Missing(document, "marlixKanvioConfig/shops/ebay")) {
    auto paid_status =
        Require(document, "marlixKanvioConfig/shops").append_child("ebay").append_child("PaidStatusCode");
    Save(document, file);
    for (const char* name : kEbayNotPaid) AppendValue(paid_status, name, "false");
    for (const char* name : kEbayPaid) AppendValue(paid_status, name, "true");
    Save(document, file);
  }
  if (Missing(document, "marlixKanvioConfig/shops/ebay/formatting/useShippingAsPaymentAdress")) {
    auto formatting = Require(document, "marlixKanvioConfig/shops/ebay").append_child("formatting");
    AppendValue(formatting, "useShippingAsPaymentAdress", "false");
    Save(document, file);
  }
  if (Missing(document, "marlixKanvioConfig/shops/ebay/formatting/useShippingAsMainAdress")) {
    AppendValue(Require(document, "marlixKanvioConfig/shops/ebay/formatting"), "useShippingAsMainAdress",
                "false");
    Save(document, file);
  }
  if (Missing(document, "marlixKanvioConfig/generell/SecurityProtocols")) {
    AppendValue(Require(document, "marlixKanvioConfig/generell"), "SecurityProtocols", "Tls12,Tls11,Tls");
    Save(document, file);
  }
}

template <typename Step>
void LoggingFailures(Step step) {
  try {
    step();
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
  }
}

bool Exists(const std::filesystem::path& file) {
  std::error_code ec;
  return std::filesystem::exists(file, ec);
}

}  // namespace

ConfigFileWriter::ConfigFileWriter() {
  const std::string place = ConfigFilePath::GetConfigFilePath();
  if (place.empty())
    throw Error("Der Ort der Konfigurationsdatei ist unbekannt: Paths.dll wurde nicht gefunden.");
  const auto file = platform::PathFromUtf8(place);
  LoggingFailures([&] {
    if (Exists(file) && IsOldFormat(file)) ConvertOldFormat(file);
  });
  LoggingFailures([&] {
    if (!Exists(file)) Save(BasicDocument(), file);
  });
  if (Exists(file)) LoggingFailures([&] { Upgrade(file); });
}

}  // namespace kanvio
