#pragma once
// A host file loaded as an XML document. Reading records and editing a file
// in place need different parsing: the reading form is compact and gives
// normalised texts; the editing form keeps comments, declaration, white
// space and line ends so that a saved file differs only by the edit.

#include <filesystem>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>

#include "platform/FileSystem.h"

namespace kanvio {

using platform::PathFromUtf8;
using platform::PathToUtf8;

class HostXmlFile {
 public:
  // Element texts are stored in their elements: half the nodes, which
  // matters for exports of a hundred megabytes.
  static constexpr unsigned kReadingOptions = pugi::parse_default | pugi::parse_embed_pcdata;

  // Both throw FileNotFoundError when the file cannot be read and XmlError
  // (with the line) when it is not well-formed or has no root element.
  // The reading form gives UTF-8 texts whatever the file's encoding: UTF-8,
  // UTF-16/32, ISO-8859-1, ISO-8859-15 or windows-1252 by its byte-order
  // mark or declaration; it throws XmlError for any other encoding and for
  // bytes that are not the UTF-8 the file claims.
  static HostXmlFile LoadForReading(const std::filesystem::path& file);
  static HostXmlFile LoadForEditing(const std::filesystem::path& file);

  // The whole file as UTF-8 text without byte-order mark, its declaration
  // naming UTF-8: what a request sends as the file. Decodes and throws as
  // LoadForReading, without parsing the document.
  static std::string LoadText(const std::filesystem::path& file);

  // The bytes the reading form would parse, as UTF-8; nullopt for UTF-16
  // and UTF-32, which only the parser converts. Throws as LoadForReading
  // does before parsing.
  struct Bytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
  };
  static std::optional<Bytes> LoadUtf8ForReading(const std::filesystem::path& file);

  const std::filesystem::path& path() const { return path_; }
  pugi::xml_node Document() const { return *document_; }
  pugi::xml_node Root() const { return document_->document_element(); }

  // Writes the document over the file, whole or not at all, in the file's
  // own encoding and keeping its byte-order mark. Only for files loaded for
  // editing. Throws Error; the file is then unchanged.
  void Save() const;

 private:
  HostXmlFile(std::filesystem::path file, unsigned options, bool editable);

  std::filesystem::path path_;
  std::unique_ptr<char[]> buffer_;  // parsed in place: the document points into it
  std::unique_ptr<pugi::xml_document> document_;
  pugi::xml_encoding encoding_ = pugi::encoding_utf8;
  bool byte_order_mark_ = false;
  bool editable_ = false;
};

}  // namespace kanvio
