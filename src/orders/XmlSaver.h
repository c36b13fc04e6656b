#pragma once
// Writes a list of records as one XML document: the root element `root_name`,
// inside it one element per record, named by the record type's kXmlName, with
// the members as the records state them.
//
// With `remove_namespaces` the document carries no namespace declarations and
// no type attributes and is one line: byte-order mark, declaration with
// encoding, elements. Without it the document is indented by two spaces, the
// root declares the xsi and xsd namespaces and a member holding a derived
// record says so with xsi:type.
//
// The file replaces whatever was at `path` only once it is complete; after a
// failure `path` is as it was.

#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

#include "config/Logger.h"
#include "orders/RecordElementWriter.h"
#include "orders/XmlRecord.h"
#include "orders/XmlStreamWriter.h"

namespace kanvio::orders {

// The part of XmlSaver that does not depend on the record type.
class XmlSaverDocument {
 public:
  XmlSaverDocument(const std::filesystem::path& path, std::string_view root_name, bool remove_namespaces);
  void Add(std::string_view element, const XmlRecord& record);
  void Close();

 private:
  XmlStreamWriter xml_;
  RecordElementWriter records_;
};

template <class T>
class XmlSaver {
 public:
  // Throws kanvio::Error when the file cannot be written.
  static void Write(const std::vector<T>& list, const std::filesystem::path& path, std::string_view root_name,
                    bool remove_namespaces) {
    XmlSaverDocument document(path, root_name, remove_namespaces);
    for (const T& record : list) document.Add(T::kXmlName, record);
    document.Close();
  }

  // 1 when written; -1 after a failure, which goes to the error log.
  static int Save(const std::vector<T>& list, const std::filesystem::path& path, std::string_view root_name,
                  bool remove_namespaces) noexcept {
    try {
      Write(list, path, root_name, remove_namespaces);
      return 1;
    } catch (const std::exception& failure) {
      LogQuietly(failure);
    } catch (...) {
      LogQuietly(std::runtime_error("XmlSaver: unbekannter Fehler"));
    }
    return -1;
  }

 private:
  static void LogQuietly(const std::exception& failure) noexcept {
    try {
      Logger::LogError(failure);
    } catch (...) {
      // The result already reports the failure; a log that cannot be written changes nothing.
    }
  }
};

}  // namespace kanvio::orders
