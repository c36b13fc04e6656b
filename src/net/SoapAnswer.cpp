#include "net/SoapAnswer.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace kanvio::net {
namespace {

constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

std::string_view Prefix(std::string_view qualified) {
  const auto colon = qualified.find(':');
  return colon == std::string_view::npos ? std::string_view() : qualified.substr(0, colon);
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The namespace declared for prefix on node or its ancestors.
std::string_view LookUpPrefix(pugi::xml_node node, std::string_view prefix) {
  std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
  for (; node; node = node.parent()) {
    if (node.type() != pugi::node_element) continue;
    if (const auto declared = node.attribute(attribute.c_str())) return declared.value();
  }
  return {};
}

}  // namespace

std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const auto colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view local_name) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && LocalName(child) == local_name) return child;
  }
  return {};
}

std::string_view NamespaceUri(const pugi::xml_node& node) { return LookUpPrefix(node, Prefix(node.name())); }

bool IsNil(const pugi::xml_node& node) {
  // Called for nearly every element of an answer; most carry only xsi:type.
  for (pugi::xml_attribute attribute = node.first_attribute(); attribute;
       attribute = attribute.next_attribute()) {
    const std::string_view name = attribute.name();
    if (name.size() < 4 || name.substr(name.size() - 4) != ":nil") continue;
    if (LookUpPrefix(node, name.substr(0, name.size() - 4)) != kXsiNamespace) continue;
    const std::string_view value = Trimmed(attribute.value());
    return value == "true" || value == "1";
  }
  return false;
}

std::optional<std::string_view> ElementView(const pugi::xml_node& element) {
  if (!element || IsNil(element)) return std::nullopt;
  return std::string_view(element.child_value());
}

std::optional<std::string> ElementText(const pugi::xml_node& element) {
  const auto view = ElementView(element);
  if (!view) return std::nullopt;
  return std::string(*view);
}

namespace {

// Plain decimals of at most seven digits ("19.99", "-5", "0.19"), the usual
// amounts, without the general parser: digits and power of ten are exact
// floats, so one division rounds correctly (also through x87's wider
// registers, whose double rounding is harmless for a single division).
std::optional<float> SimpleDecimal(std::string_view text) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  std::uint32_t digits = 0;
  int integer_digits = 0, fraction_digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++integer_digits)
    digits = digits * 10 + std::uint32_t(text[i] - '0');
  if (integer_digits == 0 || integer_digits > 7) return std::nullopt;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++fraction_digits)
      digits = digits * 10 + std::uint32_t(text[i] - '0');
    if (fraction_digits == 0) return std::nullopt;
  }
  if (i != text.size() || integer_digits + fraction_digits > 7) return std::nullopt;
  constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f};
  const float value = float(digits) / kPowers[fraction_digits];
  return negative ? -value : value;
}

}  // namespace

std::optional<float> FloatValue(std::string_view text) {
  // Numbers as shops send them carry no blanks; trim only when there are some.
  if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back()))) text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (const auto simple = SimpleDecimal(text)) return simple;
  float value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  // from_chars reads "inf" and "nan"; an overflow leaves ec set.
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<float> ElementFloat(const pugi::xml_node& element) {
  const auto view = ElementView(element);
  if (!view) return std::nullopt;
  return FloatValue(*view);
}

std::optional<std::string> OptionalText(const pugi::xml_node& node, std::string_view child) {
  return ElementText(Child(node, child));
}

std::string Text(const pugi::xml_node& node, std::string_view child) {
  return OptionalText(node, child).value_or(std::string());
}

std::optional<float> OptionalFloat(const pugi::xml_node& node, std::string_view child) {
  return ElementFloat(Child(node, child));
}

std::optional<bool> OptionalBoolean(const pugi::xml_node& node, std::string_view child) {
  const pugi::xml_node element = Child(node, child);
  if (!element || IsNil(element)) return std::nullopt;
  const std::string_view text = Trimmed(element.child_value());
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return std::nullopt;
}

pugi::xml_node SoapAnswer::Part(std::string_view name) const {
  const pugi::xml_node part = Child(response_, name);
  return part && !IsNil(part) ? part : pugi::xml_node();
}

}  // namespace kanvio::net
