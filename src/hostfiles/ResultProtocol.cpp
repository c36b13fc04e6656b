#include "hostfiles/ResultProtocol.h"

#include <fmt/format.h>

#include <array>
#include <pugixml.hpp>
#include <utility>

#include "config/Logger.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/RecordFields.h"
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
  HostXmlFile host_file = HostXmlFile::LoadForEditing(file);
  pugi::xml_node host_root = host_file.Root();
  if (root != host_root.name())
    throw XmlError(fmt::format("Die Datei {} hat das Wurzelelement {} statt {}; das {} wurde nicht angefügt.",
                               PathToUtf8(file), host_root.name(), root, kProtocol));
  for (const auto& protocol : protocols) {
    pugi::xml_node element = host_root.append_child(kProtocol);
    for (auto [name, value] : Values(protocol)) element.append_child(name).text().set(value->c_str());
  }
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
