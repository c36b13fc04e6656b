#include "shops/MergedArticleFile.h"

#include <pugixml.hpp>
#include <sstream>

#include "config/Logger.h"
#include "platform/FileSystem.h"
#include "support/CipherUtility.h"
#include "support/Error.h"
#include "support/Text.h"
#include "support/XmlEncoding.h"

namespace kanvio {
namespace {

// The merged file is UTF-8: each page is decoded by its own declaration
// first, and bytes that are not UTF-8 would make the whole file unreadable.
void AppendRows(pugi::xml_node root, const std::string& page) {
  const std::string text = text::ReplaceInvalidUtf8(text::XmlToUtf8(page));
  pugi::xml_document doc;
  auto parsed = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) throw XmlError(std::string("Die Artikelseite ist kein gültiges XML: ") + parsed.description());
  for (auto row : doc.select_nodes("//row")) root.append_copy(row.node());
}

}  // namespace

void MergedArticleFile::SaveAsMergedXml(const std::vector<std::string>& pages, const std::string& password,
                                        const std::filesystem::path& target, int& error_count) {
  pugi::xml_document doc;
  auto decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  decl.append_attribute("standalone") = "yes";
  auto root = doc.append_child("Artikelimport");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    try {
      if (password.empty()) {
        AppendRows(root, pages[i]);
      } else {
        const std::string plain = CipherUtility::DecryptPhp(text::Trim(pages[i]), password);
        if (!plain.empty()) AppendRows(root, plain);
      }
    } catch (const std::exception& e) {
      Logger::LogError("Artikelseite " + std::to_string(i + 1) + " konnte nicht gelesen werden: " + e.what());
      ++error_count;
    }
  }
  try {
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default | pugi::format_write_bom, pugi::encoding_utf8);
    platform::WriteFileAtomically(target, out.str());
  } catch (const std::exception& e) {
    Logger::LogError(e);
  }
}

}  // namespace kanvio
