#pragma once
// The packages of one upload file: its rows, a fixed number at a time, each
// package as the XML text of a document that holds only the package root
// with copies of its rows, without XML declaration (it becomes the body of
// one request). The file is parsed once; a package's text is made when it
// is asked for, so a large file never has all its packages in memory.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "hostfiles/HostXmlFile.h"

namespace kanvio {

class XmlPackages {
 public:
  // The rows are the elements called row whose parent is called container,
  // at any depth and in document order; packages keep that order and only
  // the last may be shorter. Throws Error when amount is below 1 (before the
  // file is read), FileNotFoundError or XmlError when the file is unusable.
  XmlPackages(const std::filesystem::path& file, const char* container, const char* row,
              std::string package_root, int amount);

  std::size_t size() const;  // no rows, no packages
  bool empty() const { return rows_.empty(); }
  std::size_t row_count() const { return rows_.size(); }

  // The text of package index (from 0); throws std::out_of_range past the end.
  std::string Text(std::size_t index) const;

  // Hands each package's text to sink, in order, one at a time.
  void ForEach(const std::function<void(std::size_t index, const std::string& text)>& sink) const;

 private:
  std::size_t amount_;  // first: checked before the file is read
  HostXmlFile file_;
  std::vector<pugi::xml_node> rows_;  // point into file_
  std::string package_root_;
};

}  // namespace kanvio
