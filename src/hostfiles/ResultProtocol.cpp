#include "hostfiles/ResultProtocol.h"

#include <fmt/format.h>

#include <array>
#include <fstream>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <utility>

#include "config/Logger.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/RecordFields.h"
#include "hostfiles/StringXmlWriter.h"
#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

constexpr const char* kProtocol = "Exportprotokoll";

// The children of the protocol element, in the order they are written and read.
template <typename Protocol>
auto Values(Protocol& protocol) {
  return std::array{std::pair{"Export_Status", &protocol.Export_Status},
                    std::pair{"Anzahl_Datensaetze_Gesamt", &protocol.Anzahl_Datensaetze_Gesamt},
                    std::pair{"Anzahl_Datensaetze_Erfolgreich_Uebergeben",
                              &protocol.Anzahl_Datensaetze_Erfolgreich_Uebergeben}};
}

void TakeValues(const std::string& answer, ExportProtocol& protocol) {
  const std::string xml = text::StripUtf8Bom(answer);
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) throw XmlError(fmt::format("Die Antwort des Shops ist kein XML: {}.", parsed.description()));
  const pugi::xml_node root = document.document_element();
  if (std::string_view(root.name()) != kProtocol)
    throw XmlError(fmt::format("Die Antwort des Shops ist kein {}, sondern {}.", kProtocol, root.name()));
  for (auto [name, value] : Values(protocol)) {
    const pugi::xml_node element = root.child(name);
    if (!element) throw XmlError(fmt::format("Der Antwort des Shops fehlt das Element {}.", name));
    *value = InnerText(element);
  }
}

void AppendProtocols(pugi::xml_node parent, const std::vector<ExportProtocol>& protocols) {
  for (const auto& protocol : protocols) {
    pugi::xml_node element = parent.append_child(kProtocol);
    for (auto [name, value] : Values(protocol)) element.append_child(name).text().set(value->c_str());
  }
}

// The same serialiser as saving an edited file, so that escaping and layout agree.
std::string ProtocolsText(const std::vector<ExportProtocol>& protocols) {
  pugi::xml_document elements;
  AppendProtocols(elements, protocols);
  std::string text;
  StringXmlWriter writer(text);
  elements.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return text;
}

// Refuses exactly the files the editing form refuses: a declaration or
// processing instruction is only checked when it becomes a node. Every kind
// of node but text is kept, so that nothing after the root goes unseen.
constexpr unsigned kCheckingOptions = pugi::parse_minimal | pugi::parse_declaration | pugi::parse_pi |
                                      pugi::parse_comments | pugi::parse_cdata | pugi::parse_doctype;

// Nothing when the file cannot be read; the editing form reports why.
std::optional<std::string> ReadText(const std::filesystem::path& file) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(file, ignored)) return std::nullopt;
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0) return std::nullopt;
  std::string text(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(text.data(), size)) return std::nullopt;
  return text;
}

// The parser takes any declared encoding but Latin-1 for UTF-8; whether such
// a file may be kept byte for byte is for the editing form to decide.
bool DeclaresUtf8OrNothing(const pugi::xml_document& document) {
  for (const pugi::xml_node node : document.children()) {
    const pugi::xml_attribute encoding = node.attribute("encoding");
    if (node.type() == pugi::node_declaration && encoding &&
        !text::EqualsIgnoreCase(encoding.value(), "UTF-8"))
      return false;
  }
  return true;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool OnlyCommentsAndInstructionsFrom(std::string_view xml, std::size_t at) {
  while (at < xml.size()) {
    if (IsSpace(xml[at])) {
      ++at;
      continue;
    }
    const bool comment = xml.substr(at, 4) == "<!--";
    if (!comment && xml.substr(at, 2) != "<?") return false;
    const std::string_view close = comment ? "-->" : "?>";
    at = xml.find(close, at + (comment ? 4 : 2));
    if (at == std::string_view::npos) return false;
    at += close.size();
  }
  return true;
}

// Where the first node after the root begins, or the end of the text.
std::optional<std::size_t> AfterRoot(std::string_view xml, pugi::xml_node root) {
  const pugi::xml_node next = root.next_sibling();
  if (!next) return xml.size();
  const pugi::xml_node_type type = next.type();
  if (type != pugi::node_comment && type != pugi::node_pi) return std::nullopt;
  const std::string_view opening = type == pugi::node_comment ? "<!--" : "<?";
  const std::ptrdiff_t content = next.offset_debug();
  if (content < static_cast<std::ptrdiff_t>(opening.size())) return std::nullopt;
  const std::size_t start = static_cast<std::size_t>(content) - opening.size();
  if (xml.substr(start, opening.size()) != opening) return std::nullopt;
  return start;
}

// The end tag "</root>" (maybe with white space before ">") followed by
// nothing but white space up to end.
std::optional<std::size_t> EndTagBefore(std::string_view xml, std::size_t end, std::string_view root) {
  std::size_t at = end;
  while (at > 0 && IsSpace(xml[at - 1])) --at;
  if (at == 0 || xml[at - 1] != '>') return std::nullopt;
  --at;
  while (at > 0 && IsSpace(xml[at - 1])) --at;
  const std::size_t length = root.size() + 2;
  if (at < length || xml.substr(at - length, 2) != "</" || xml.substr(at - root.size(), root.size()) != root)
    return std::nullopt;
  return at - length;
}

// Where the protocols go in a file that can stay as it is around them: right
// before the root's end tag. Nothing for what only the editing form handles:
// another encoding, another root, a root without end tag, anything but
// comments and processing instructions after it, a file that is not
// well-formed (its error is reported there).
//
// Every node after the root but text is in the document, and top-level text
// holds no "<": so an end tag found right before the first of those nodes can
// only be the root's own, and its name is the root's. The parser stops at a
// NUL, which would hide the rest.
std::optional<std::size_t> InsertionPoint(std::string_view xml, std::string_view root) {
  if (xml.find('\0') != std::string_view::npos) return std::nullopt;
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size(), kCheckingOptions);
  if (!parsed || parsed.encoding != pugi::encoding_utf8) return std::nullopt;
  if (!DeclaresUtf8OrNothing(document)) return std::nullopt;
  const std::optional<std::size_t> after_root = AfterRoot(xml, document.document_element());
  if (!after_root || !OnlyCommentsAndInstructionsFrom(xml, *after_root)) return std::nullopt;
  return EndTagBefore(xml, *after_root, root);
}

}  // namespace

ExportProtocol ResultProtocol::FromAnswer(const std::string& answer) {
  ExportProtocol protocol;
  try {
    TakeValues(answer, protocol);
  } catch (const Error& failure) {
    Logger::LogError(failure);
  }
  return protocol;
}

void ResultProtocol::Write(const std::filesystem::path& file, const std::string& root,
                           const ExportProtocol& protocol) {
  Write(file, root, std::vector<ExportProtocol>{protocol});
}

void ResultProtocol::Write(const std::filesystem::path& file, const std::string& root,
                           const std::vector<ExportProtocol>& protocols) {
  // Parsing the whole file for editing and serialising it again costs ten
  // times reading and writing its bytes; a large upload file gets a protocol
  // per package.
  const std::optional<std::string> xml = ReadText(file);
  const std::optional<std::size_t> at = xml ? InsertionPoint(*xml, root) : std::nullopt;
  if (!at) return WriteByEditing(file, root, protocols);
  const std::string_view text = *xml;
  platform::ReplacementFile replacement(file);
  replacement.Write(text.substr(0, *at));
  replacement.Write(ProtocolsText(protocols));
  replacement.Write(text.substr(*at));
  replacement.Commit();
}

void ResultProtocol::WriteByEditing(const std::filesystem::path& file, const std::string& root,
                                    const std::vector<ExportProtocol>& protocols) {
  HostXmlFile host_file = HostXmlFile::LoadForEditing(file);
  pugi::xml_node host_root = host_file.Root();
  if (root != host_root.name())
    throw XmlError(fmt::format("Die Datei {} hat das Wurzelelement {} statt {}; das {} wurde nicht angefügt.",
                               PathToUtf8(file), host_root.name(), root, kProtocol));
  AppendProtocols(host_root, protocols);
  host_file.Save();
}

void ResultProtocol::AppendRollback(const std::filesystem::path& file, const std::string& root) {
  Write(file, root, ExportProtocol{});
}

bool ResultProtocol::Append(const std::filesystem::path& file, const std::string& typ,
                            const std::string& answer) {
  const ExportProtocol protocol = FromAnswer(answer);
  try {
    Write(file, typ, protocol);
    return true;
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
    return false;
  }
}

}  // namespace kanvio
