#pragma once
// What ConfigFileWriter and ConfigFileReader share about the shop
// configuration file: its root, its basic tree, loading and saving, and the
// way its texts are read.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace kanvio::config_file {

inline constexpr const char* kRoot = "marlixKanvioConfig";

// The file as the first version of the library wrote it: generell with
// PackageSplitting, shops with the amazon and strato subtrees.
pugi::xml_document BasicDocument();

// Documents nested deeper are refused: the file's own tree has five levels.
inline constexpr std::size_t kMaxDepth = 100;
// Throws XmlError when the file cannot be read, is not well-formed or nests
// deeper than kMaxDepth.
pugi::xml_document Load(const std::filesystem::path& file);
// Replaces the file as a whole (temporary file and rename); throws Error.
void Save(const pugi::xml_document& document, const std::filesystem::path& file);

// A new child element name holding text.
pugi::xml_node AppendValue(pugi::xml_node parent, const char* name, std::string_view text);

// The concatenated text of all text below node (its "inner text").
std::string InnerText(pugi::xml_node node);

// "true"/"false" in any letter case, surrounded by any white space.
std::optional<bool> ParseBoolean(std::string_view text);
// A decimal 32-bit integer: white space around, an optional sign, digits.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace kanvio::config_file
