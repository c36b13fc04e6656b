#include "hostfiles/HostXmlFile.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "hostfiles/StringXmlWriter.h"
#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"
#include "support/XmlEncoding.h"

namespace kanvio {
namespace {

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

long LineOfOffset(std::string_view text, std::ptrdiff_t offset) {
  const auto end =
      text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size()));
  return 1 + static_cast<long>(std::count(text.begin(), end, '\n'));
}

// UTF-16 and UTF-32, with a byte-order mark or with zero bytes among the
// first four; the parser recognises and converts them itself.
bool IsWideEncoding(std::string_view start) {
  return start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF") ||
         (start.size() >= 4 && start.substr(0, 4).find('\0') != std::string_view::npos);
}

// The parser knows UTF-8, UTF-16, UTF-32 and Latin-1 (by two of its names
// only); it would take windows-1252 for UTF-8 and hand its bytes on as they
// are. So the reading form makes a narrow text UTF-8 before parsing it:
// nullopt when the bytes are UTF-8 already (checked). Throws XmlError for
// bytes that are not the UTF-8 they claim to be and for encodings it does
// not know.
std::optional<std::string> TextForReading(std::string_view bytes, const std::filesystem::path& file) {
  const std::string_view declared = bytes.starts_with(text::kUtf8Bom) ? "" : text::DeclaredEncoding(bytes);
  const text::Charset charset = declared.empty() ? text::Charset::kUtf8 : text::CharsetNamed(declared);
  switch (charset) {
    case text::Charset::kLatin1:
    case text::Charset::kCp1252:
    case text::Charset::kLatin9:
      return text::ToUtf8(bytes, charset);
    case text::Charset::kUnknown:
      throw XmlError(
          fmt::format("Die Datei {} ist in der Kodierung \"{}\" geschrieben, die nicht gelesen "
                      "werden kann; erwartet wird UTF-8, UTF-16, ISO-8859-1, ISO-8859-15 oder "
                      "windows-1252.",
                      PathToUtf8(file), declared));
    default:  // UTF-8, or a UTF-16 declaration in bytes that evidently are not
      break;
  }
  const std::size_t bad = text::FindInvalidUtf8(bytes);
  if (bad == std::string_view::npos) return std::nullopt;
  const long line = LineOfOffset(bytes, static_cast<std::ptrdiff_t>(bad));
  throw XmlError(fmt::format("Die Datei {} ist nicht in UTF-8 geschrieben (ungültiges Zeichen in Zeile {}); "
                             "eine andere Kodierung muss die XML-Deklaration nennen.",
                             PathToUtf8(file), line),
                 line);
}

// The parser works on the buffer in place, so the line is counted in a fresh
// copy (converted as the parser saw it).
long LineAt(const std::filesystem::path& file, std::ptrdiff_t offset, bool converted) {
  const FileBytes bytes = ReadBytes(file);
  const std::string_view view(bytes.data.get(), bytes.size);
  if (!converted) return LineOfOffset(view, offset);
  return LineOfOffset(TextForReading(view, file).value_or(std::string(view)), offset);
}

}  // namespace

HostXmlFile HostXmlFile::LoadForReading(const std::filesystem::path& file) {
  return HostXmlFile(file, kReadingOptions, false);
}

HostXmlFile HostXmlFile::LoadForEditing(const std::filesystem::path& file) {
  return HostXmlFile(file, kEditingOptions, true);
}

std::string HostXmlFile::LoadText(const std::filesystem::path& file) {
  const FileBytes bytes = ReadBytes(file);
  const std::string_view view(bytes.data.get(), bytes.size);
  if (IsWideEncoding(view)) return text::XmlToUtf8(view);
  std::string converted = TextForReading(view, file).value_or(text::StripUtf8Bom(view));
  return text::DeclareUtf8(std::move(converted));
}

std::optional<HostXmlFile::Bytes> HostXmlFile::LoadUtf8ForReading(const std::filesystem::path& file) {
  FileBytes bytes = ReadBytes(file);
  const std::string_view view(bytes.data.get(), bytes.size);
  if (IsWideEncoding(view)) return std::nullopt;
  if (std::optional<std::string> converted = TextForReading(view, file)) {
    Bytes text{std::make_unique_for_overwrite<char[]>(converted->size()), converted->size()};
    std::copy(converted->begin(), converted->end(), text.data.get());
    return text;
  }
  return Bytes{std::move(bytes.data), bytes.size};
}

// The editing form parses the bytes as they are: the parser hands on bytes
// of an encoding it does not know unchanged, so a saved file differs from the
// old one only by the edit, whatever its encoding.
HostXmlFile::HostXmlFile(std::filesystem::path file, unsigned options, bool editable)
    : path_(std::move(file)), document_(std::make_unique<pugi::xml_document>()), editable_(editable) {
  FileBytes bytes = ReadBytes(path_);
  const std::string_view view(bytes.data.get(), bytes.size);
  byte_order_mark_ = HasByteOrderMark(view);
  if (editable_ && !IsWideEncoding(view)) {
    // Text before the first markup has no node to keep it: saved, the file
    // would lose it, and a declaration behind it would start to count.
    const std::string_view body = view.substr(view.starts_with(text::kUtf8Bom) ? text::kUtf8Bom.size() : 0);
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && body[first] != '<') {
      const long line = LineOfOffset(body, static_cast<std::ptrdiff_t>(first));
      throw XmlError(
          fmt::format("Die Datei {} ist keine gültige XML-Datei: Text vor dem ersten Element (Zeile {}).",
                      PathToUtf8(path_), line),
          line);
    }
  }
  pugi::xml_encoding encoding = pugi::encoding_auto;
  bool converted_here = false;
  if (!editable_ && !IsWideEncoding(view)) {
    if (std::optional<std::string> converted = TextForReading(view, path_)) {
      converted_here = true;
      bytes.size = converted->size();
      bytes.data = std::make_unique_for_overwrite<char[]>(bytes.size);
      std::copy(converted->begin(), converted->end(), bytes.data.get());
    }
    encoding = pugi::encoding_utf8;
  }
  buffer_ = std::move(bytes.data);
  const pugi::xml_parse_result result =
      document_->load_buffer_inplace(buffer_.get(), bytes.size, options, encoding);
  if (!result) {
    const long line = LineAt(path_, result.offset, converted_here);
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
