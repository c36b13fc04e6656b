#include "shops/ShopRequests.h"

#include <pugixml.hpp>

#include "platform/HttpClient.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {

std::string HttpStatusMessage(int status) {
  return "Der Shop-Server hat mit dem HTTP-Status " + std::to_string(status) + " geantwortet.";
}

std::string EncodeOrderNumber(const std::string& order_number) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : order_number) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

const char* const kWebPageInsteadOfAnswer =
    "Der Shop hat eine Webseite statt der erwarteten Daten gesendet; es wurde nichts gespeichert.";

const char* const kUnknownUploadAnswer =
    "Die Antwort des Shops enthält weder SUCCESS noch ROLLBACK; ob die Daten übernommen wurden, ist nicht "
    "bekannt.";

void CheckImportable(const std::string& answer) {
  pugi::xml_document document;
  const auto parsed =
      document.load_buffer(answer.data(), answer.size(), pugi::parse_minimal, pugi::encoding_utf8);
  if (!parsed)
    throw XmlError("Die Antwort des Shops ist kein vollständiges XML-Dokument (" +
                   std::string(parsed.description()) + ", Zeichen " + std::to_string(parsed.offset) +
                   "); die Datei wurde nicht geschrieben.");
  if (text::EqualsIgnoreCase(document.document_element().name(), "html"))
    throw XmlError(kWebPageInsteadOfAnswer);
}

std::int64_t ArticlePages::Count(std::int64_t count, std::int64_t page_size) {
  const std::int64_t pages = count / page_size + (count % page_size != 0 ? 1 : 0);
  if (pages > kMaxPages)
    throw Error("Der Shop meldet " + std::to_string(count) + " Artikel, das wären " + std::to_string(pages) +
                " Seiten; mehr als " + std::to_string(kMaxPages) + " Seiten werden nicht geholt.");
  return pages;
}

void ArticlePages::Add(std::string page) {
  bytes_ += page.size();
  if (bytes_ > max_bytes_)
    throw Error("Die Artikelseiten des Shops sind zusammen größer als " + std::to_string(max_bytes_ >> 20) +
                " MB und werden nicht gelesen.");
  texts_.push_back(std::move(page));
}

}  // namespace kanvio
