#include "hostfiles/RootEndTag.h"

#include <array>
#include <string>
#include <vector>

#include "support/Text.h"

namespace kanvio {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// As the parser reads names: every byte of a multi-byte character counts as a letter.
constexpr bool NameStart(unsigned char byte) {
  return byte >= 0x80 || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' ||
         byte == ':';
}
constexpr bool NameChar(unsigned char byte) {
  return NameStart(byte) || (byte >= '0' && byte <= '9') || byte == '-' || byte == '.';
}
// Looked up, not computed: a large file's every name passes through here.
constexpr auto kNameStart = [] {
  std::array<bool, 256> table{};
  for (int byte = 0; byte < 256; ++byte) table[byte] = NameStart(static_cast<unsigned char>(byte));
  return table;
}();
constexpr auto kNameChar = [] {
  std::array<bool, 256> table{};
  for (int byte = 0; byte < 256; ++byte) table[byte] = NameChar(static_cast<unsigned char>(byte));
  return table;
}();
bool IsNameStart(char c) { return kNameStart[static_cast<unsigned char>(c)]; }
bool IsNameChar(char c) { return kNameChar[static_cast<unsigned char>(c)]; }

// The parser takes any target spelled so, in any case, for a declaration.
bool IsXml(std::string_view target) {
  return target.size() == 3 && (target[0] | ' ') == 'x' && (target[1] | ' ') == 'm' &&
         (target[2] | ' ') == 'l';
}

// Each method starts at the construct it is named after and returns false
// where the text leaves the narrow form, well-formed or not.
class Scanner {
 public:
  explicit Scanner(std::string_view xml) : xml_(xml) {}

  std::optional<RootEndTag> Document() {
    // The parser stops at a NUL and would not see what follows.
    if (xml_.find('\0') != std::string_view::npos) return std::nullopt;
    Skip(text::kUtf8Bom);
    if (At("<?xml") && !IsNameChar(Peek(5)) && !Declaration()) return std::nullopt;
    for (;;) {
      if (!SkipMisc()) return std::nullopt;
      if (!At("<!DOCTYPE")) break;
      if (!Doctype()) return std::nullopt;
    }
    std::optional<RootEndTag> root = Root();
    if (!root || !SkipMisc() || pos_ != xml_.size()) return std::nullopt;
    return root;
  }

 private:
  char Peek(std::size_t ahead) const { return pos_ + ahead < xml_.size() ? xml_[pos_ + ahead] : '\0'; }
  bool At(std::string_view s) const { return xml_.substr(pos_, s.size()) == s; }
  bool Skip(std::string_view s) {
    if (!At(s)) return false;
    pos_ += s.size();
    return true;
  }
  bool SkipPast(std::string_view end) {
    const std::size_t found = xml_.find(end, pos_);
    if (found == std::string_view::npos) return false;
    pos_ = found + end.size();
    return true;
  }
  // True when there was any.
  bool SkipSpace() {
    const std::size_t start = pos_;
    while (pos_ < xml_.size() && IsSpace(xml_[pos_])) ++pos_;
    return pos_ != start;
  }
  std::string_view Name() {
    const std::size_t start = pos_;
    if (IsNameStart(Peek(0)))
      while (++pos_ < xml_.size() && IsNameChar(xml_[pos_])) {
      }
    return xml_.substr(start, pos_ - start);
  }

  bool Declaration() {
    pos_ += 5;
    for (;;) {
      const bool spaced = SkipSpace();
      if (Skip("?>")) return true;
      const std::string_view name = Name();
      if (!spaced || (name != "version" && name != "encoding" && name != "standalone")) return false;
      // Plain values keep the end of the declaration and its encoding where the parser looks for them.
      const std::optional<std::string_view> value = AttributeValue();
      if (!value ||
          value->find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_") !=
              std::string_view::npos)
        return false;
      if (name == "encoding" && !text::EqualsIgnoreCase(*value, "UTF-8")) return false;
    }
  }
  // Only the simple form: no internal subset, nothing quoted.
  bool Doctype() {
    pos_ += 9;
    const std::size_t end = xml_.find('>', pos_);
    if (!IsSpace(Peek(0)) || end == std::string_view::npos ||
        xml_.substr(pos_, end - pos_).find_first_of("<[]\"'") != std::string_view::npos)
      return false;
    pos_ = end + 1;
    return true;
  }
  bool SkipMisc() {
    for (;;) {
      SkipSpace();
      if (At("<!--")) {
        if (!Comment()) return false;
      } else if (At("<?")) {
        if (!Instruction()) return false;
      } else {
        return true;
      }
    }
  }
  bool Comment() {
    pos_ += 4;
    return SkipPast("-->");
  }
  bool Instruction() {
    pos_ += 2;
    const std::string_view target = Name();
    if (target.empty() || IsXml(target)) return false;
    return Skip("?>") || (IsSpace(Peek(0)) && SkipPast("?>"));
  }

  // After the name in a start tag and declaration.
  std::optional<std::string_view> AttributeValue() {
    SkipSpace();
    if (!Skip("=")) return std::nullopt;
    SkipSpace();
    const char quote = Peek(0);
    if (quote != '"' && quote != '\'') return std::nullopt;
    const std::size_t end = xml_.find(quote, ++pos_);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view value = xml_.substr(pos_, end - pos_);
    if (value.find('<') != std::string_view::npos) return std::nullopt;
    pos_ = end + 1;
    return value;
  }
  // Adds the element to open unless it closes itself.
  bool StartTag(std::vector<std::string_view>& open) {
    ++pos_;
    const std::string_view name = Name();
    if (name.empty()) return false;
    for (;;) {
      const bool spaced = SkipSpace();
      if (Skip("/>")) return true;
      if (Skip(">")) {
        open.push_back(name);
        return true;
      }
      if (!spaced || Name().empty() || !AttributeValue()) return false;
    }
  }
  bool EndTag(std::vector<std::string_view>& open) {
    pos_ += 2;
    if (Name() != open.back()) return false;
    SkipSpace();
    if (!Skip(">")) return false;
    open.pop_back();
    return true;
  }

  std::optional<RootEndTag> Root() {
    std::vector<std::string_view> open;
    if (Peek(0) != '<' || !StartTag(open) || open.empty()) return std::nullopt;
    RootEndTag root{open.front()};
    while (!open.empty()) {
      pos_ = xml_.find('<', pos_);
      if (pos_ == std::string_view::npos) return std::nullopt;
      root.offset = pos_;
      const bool well_formed = At("</")          ? EndTag(open)
                               : At("<!--")      ? Comment()
                               : At("<![CDATA[") ? (pos_ += 9, SkipPast("]]>"))
                               : At("<?")        ? Instruction()
                                                 : StartTag(open);
      if (!well_formed) return std::nullopt;
    }
    return root;
  }

  std::string_view xml_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<RootEndTag> FindRootEndTag(std::string_view xml) { return Scanner(xml).Document(); }

}  // namespace kanvio
