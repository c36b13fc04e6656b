#pragma once
// Where the root element of an XML text ends, found without building a
// document: children can then be added to a large file by inserting text.
//
// The scan is deliberately narrow. It accepts only UTF-8 texts made of the
// plain parts of data files, each of which the editing form of a host file
// (HostXmlFile::LoadForEditing) accepts too, so that a text it accepts is
// well-formed there as well. Anything else it declines, well-formed or not;
// the caller then takes the editing form, which decides.

#include <cstddef>
#include <optional>
#include <string_view>

namespace kanvio {

struct RootEndTag {
  std::string_view name;   // of the root element, pointing into the text
  std::size_t offset = 0;  // of the "</" that ends the root
};

// The root's end tag when xml is, after an optional UTF-8 byte-order mark:
// an optional declaration (version, encoding UTF-8 in any case, standalone);
// white space, comments, processing instructions and doctypes without
// internal subset; the root element, not self-closing, holding elements with
// attributes, text, comments, CDATA sections and processing instructions;
// then only white space, comments and processing instructions. Nothing
// otherwise.
std::optional<RootEndTag> FindRootEndTag(std::string_view xml);

}  // namespace kanvio
