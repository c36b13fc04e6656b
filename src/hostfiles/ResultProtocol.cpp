#include "hostfiles/ResultProtocol.h"

#include <fmt/format.h>

#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <utility>

#include "config/Logger.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/RecordFields.h"
#include "hostfiles/RootEndTag.h"
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

// The shop's text goes into the host's file: it must be UTF-8 (an answer in
// an encoding we do not convert keeps its bytes) and hold only characters an
// XML document may carry, or the host could no longer read its own file.
std::string HostSafe(std::string_view value) {
  std::string safe = text::ReplaceInvalidUtf8(value);
  std::erase_if(safe, [](char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
  });
  return safe;
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
    *value = HostSafe(InnerText(element));
  }
}

void AppendProtocols(pugi::xml_node parent, const std::vector<ExportProtocol>& protocols) {
  for (const auto& protocol : protocols) {
    pugi::xml_node element = parent.append_child(kProtocol);
    // Whoever filled the protocol, the host must still be able to read its file.
    for (auto [name, value] : Values(protocol))
      element.append_child(name).text().set(HostSafe(*value).c_str());
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

struct FileText {
  std::unique_ptr<char[]> bytes;  // not zero-filled: a large file is touched once fewer
  std::size_t size = 0;
  std::string_view View() const { return {bytes.get(), size}; }
};

// Nothing when the file cannot be read; the editing form reports why.
std::optional<FileText> ReadText(const std::filesystem::path& file) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(file, ignored)) return std::nullopt;
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0) return std::nullopt;
  FileText text{std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size)),
                static_cast<std::size_t>(size)};
  in.seekg(0);
  if (!in.read(text.bytes.get(), size)) return std::nullopt;
  return text;
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

std::optional<ExportProtocol> ResultProtocol::TryFromAnswer(const std::string& answer) {
  ExportProtocol protocol;
  try {
    TakeValues(answer, protocol);
    return protocol;
  } catch (const Error& failure) {
    Logger::LogError(failure);
    return std::nullopt;
  }
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
  const std::optional<FileText> xml = ReadText(file);
  const std::optional<RootEndTag> end = xml ? FindRootEndTag(xml->View()) : std::nullopt;
  if (!end || end->name != root) return WriteByEditing(file, root, protocols);
  const std::string_view text = xml->View();
  platform::ReplacementFile replacement(file);
  replacement.Write(text.substr(0, end->offset));
  replacement.Write(ProtocolsText(protocols));
  replacement.Write(text.substr(end->offset));
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
