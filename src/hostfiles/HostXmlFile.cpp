#include "hostfiles/HostXmlFile.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "hostfiles/StringXmlWriter.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio {
namespace {

// Element texts are stored in their elements: half the nodes, which matters
// for exports of a hundred megabytes.
constexpr unsigned kReadingOptions = pugi::parse_default | pugi::parse_embed_pcdata;
// Line ends stay as written; the host file keeps its layout.
constexpr unsigned kEditingOptions = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;

struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

FileBytes ReadBytes(const std::filesystem::path& file) {
  std::error_code ignored;
  if (!std::filesystem::exists(file, ignored))
    throw FileNotFoundError(fmt::format("Die Datei {} wurde nicht gefunden.", PathToUtf8(file)));
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0 || std::filesystem::is_directory(file, ignored))
    throw Error(fmt::format("Die Datei {} konnte nicht gelesen werden.", PathToUtf8(file)));
  FileBytes bytes;
  bytes.size = static_cast<std::size_t>(size);
  bytes.data = std::make_unique_for_overwrite<char[]>(bytes.size);
  in.seekg(0);
  if (!in.read(bytes.data.get(), static_cast<std::streamsize>(bytes.size)))
    throw Error(fmt::format("Die Datei {} konnte nicht gelesen werden.", PathToUtf8(file)));
  return bytes;
}

bool HasByteOrderMark(std::string_view start) {
  for (std::string_view bom : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
    if (start.substr(0, bom.size()) == bom) return true;
  return false;
}

// The parser works on the buffer in place, so the line is counted in a fresh copy.
long LineAt(const std::filesystem::path& file, std::ptrdiff_t offset) {
  const FileBytes bytes = ReadBytes(file);
  const auto end =
      bytes.data.get() + std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(bytes.size));
  return 1 + static_cast<long>(std::count(bytes.data.get(), end, '\n'));
}

}  // namespace

HostXmlFile HostXmlFile::LoadForReading(const std::filesystem::path& file) {
  return HostXmlFile(file, kReadingOptions);
}

HostXmlFile HostXmlFile::LoadForEditing(const std::filesystem::path& file) {
  HostXmlFile loaded(file, kEditingOptions);
  loaded.editable_ = true;
  return loaded;
}

HostXmlFile::HostXmlFile(std::filesystem::path file, unsigned options)
    : path_(std::move(file)), document_(std::make_unique<pugi::xml_document>()) {
  FileBytes bytes = ReadBytes(path_);
  byte_order_mark_ = HasByteOrderMark(std::string_view(bytes.data.get(), bytes.size));
  buffer_ = std::move(bytes.data);
  const pugi::xml_parse_result result = document_->load_buffer_inplace(buffer_.get(), bytes.size, options);
  if (!result) {
    const long line = LineAt(path_, result.offset);
    throw XmlError(fmt::format("Die Datei {} ist keine gültige XML-Datei: {} (Zeile {}).", PathToUtf8(path_),
                               result.description(), line),
                   line);
  }
  encoding_ = result.encoding;
}

void HostXmlFile::Save() const {
  if (!editable_) throw std::logic_error("HostXmlFile::Save on a file loaded for reading");
  std::string text;
  StringXmlWriter writer(text);
  // The declaration, if any, is part of the document already.
  unsigned flags = pugi::format_raw | pugi::format_no_declaration;
  if (byte_order_mark_) flags |= pugi::format_write_bom;
  document_->save(writer, "", flags, encoding_);
  platform::WriteFileAtomically(path_, text);
}

}  // namespace kanvio
