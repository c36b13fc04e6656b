// The host's upload files: the first byte picks the reader, the package
// cutter or the protocol writer, the rest is the file. Besides not crashing,
// a file that was well-formed stays well-formed whatever was appended to it,
// records read in slices are those of the whole document,
// packages hold every row exactly once, and the two ways of appending a
// protocol agree.
#include <pugixml.hpp>

#include "FuzzSupport.h"
#include "hostfiles/FileRecords.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/ResultProtocol.h"
#include "hostfiles/XmlFileCaller.h"
#include "hostfiles/XmlPackages.h"
#include "support/Error.h"

namespace {

using namespace kanvio;

bool Readable(const std::filesystem::path& file) {
  try {
    HostXmlFile::LoadForReading(file);
    return true;
  } catch (const Error&) {
    return false;
  }
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The records of a file read in slices, or its error; slice_bytes 0 reads the whole document.
std::string RecordsOf(const std::filesystem::path& file, std::size_t slice_bytes) {
  std::string seen;
  const auto record = [&](const RecordFields& fields) {
    for (const char* name : {"ArtikelnummerWebshop", "Artikelbeschreibung"})
      seen += fields[name] ? "[" + InnerText(fields[name]) + "]" : "-";
    seen += ';';
    return true;
  };
  try {
    if (slice_bytes == 0) {
      const HostXmlFile host_file = HostXmlFile::LoadForReading(file);
      ForEachRecord(host_file.Document(), "row", {"ArtikelnummerWebshop", "Artikelbeschreibung"}, record);
    } else {
      ForEachFileRecord(
          file, "row", {"ArtikelnummerWebshop", "Artikelbeschreibung"}, [](std::size_t) {}, record,
          slice_bytes);
    }
  } catch (const Error& failure) {
    return std::string("error: ") + failure.what();
  }
  return seen;
}

void ReadRecords(std::uint8_t reader, const std::filesystem::path& file) {
  std::string product_error;
  SyncSettings sync;
  switch (reader) {
    case 0:
      XmlFileCaller::ReadXmlArticles(file, product_error, sync);
      break;
    case 1:
      XmlFileCaller::ReadXmlArticlePrices(file, product_error, sync);
      break;
    case 2:
      XmlFileCaller::ReadXmlStockValues(file, product_error, sync);
      break;
    default:
      XmlFileCaller::ReadXmlPriceLists(file, product_error, sync);
      break;
  }
}

void CutPackages(std::uint8_t selector, const std::filesystem::path& file) {
  static constexpr const char* kContainers[][2] = {
      {"Artikelexport", "row"}, {"Artikelpreisexport", "row"}, {"LagerbestandExport", "Artikel"}};
  const char* container = kContainers[selector % 3][0];
  const char* row = kContainers[selector % 3][1];
  const XmlPackages packages(file, container, row, container, 1 + selector / 3 % 4);
  std::size_t rows = 0;
  packages.ForEach([&](std::size_t, const std::string& text) {
    pugi::xml_document package;
    Check(static_cast<bool>(package.load_buffer(text.data(), text.size())));
    Check(std::string_view(package.document_element().name()) == container);
    for (auto child : package.document_element().children()) rows += child.type() == pugi::node_element;
  });
  Check(rows == packages.row_count());
}

// Write inserts text into plain UTF-8 files and edits the document for all
// others; both must accept and refuse the same files and leave the same
// number of protocols.
void AppendProtocols(std::string_view values, const std::filesystem::path& file) {
  const auto parts = fuzz::Parts(values, "\n");
  ExportProtocol protocol;
  if (parts.size() > 0) protocol.Export_Status = parts[0];
  if (parts.size() > 1) protocol.Anzahl_Datensaetze_Gesamt = parts[1];
  const std::string root = parts.size() > 2 ? parts[2] : "Artikelexport";
  const auto copy = fuzz::FuzzFolder() / "edited.xml";
  std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing);
  bool inserted = true, edited = true;
  try {
    ResultProtocol::Write(file, root, {protocol, protocol});
  } catch (const Error&) {
    inserted = false;
  }
  try {
    ResultProtocol::WriteByEditing(copy, root, {protocol, protocol});
  } catch (const Error&) {
    edited = false;
  }
  Check(inserted == edited);
  // A file the reading form refuses (an encoding it does not know) may
  // still take a protocol; only the readable ones are compared.
  if (!inserted || !Readable(file)) return;
  Check(Readable(copy));
  auto count = [&](const std::filesystem::path& f) {
    return HostXmlFile::LoadForReading(f).Root().select_nodes("Exportprotokoll").size();
  };
  Check(count(file) == count(copy));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t selector = data[0];
  std::string_view rest = fuzz::AsText(data + 1, size - 1);
  std::string_view values;
  if (selector % 8 == 7) {
    // The protocol's values come first, then the file.
    const auto split = rest.find("|||");
    if (split == std::string_view::npos) return 0;
    values = rest.substr(0, split);
    rest.remove_prefix(split + 3);
  }
  const auto file = fuzz::InputFile(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
  const bool readable = Readable(file);
  try {
    switch (selector % 8) {
      case 0:
      case 1:
        // Slices must read what the whole document holds, errors included.
        Check(RecordsOf(file, 1 + selector / 8) == RecordsOf(file, 0));
        ReadRecords(selector % 8, file);
        break;
      case 2:
      case 3:
        ReadRecords(selector % 8, file);
        break;
      case 4:
      case 5:
        CutPackages(selector / 8, file);
        break;
      case 6:
        HostXmlFile::LoadText(file);
        break;
      default:
        AppendProtocols(values, file);
        break;
    }
  } catch (const Error&) {
  }
  // A failed read appends a protocol; the host must still be able to read the file.
  if (readable) Check(Readable(file));
  return 0;
}
