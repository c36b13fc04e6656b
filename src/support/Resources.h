#pragma once
// German error texts returned to the host, and the two report type names.

#include <string>

namespace kanvio {

class Resources {
 public:
#define KANVIO_MESSAGE(key, text) static const std::string& key();
#include "support/Resources.def"
#undef KANVIO_MESSAGE
};

// Fills {0}, {1}, ... of a catalogue text.
template <typename... Args>
std::string FormatMessage(const std::string& text, const Args&... args);

}  // namespace kanvio

#include <fmt/format.h>

template <typename... Args>
std::string kanvio::FormatMessage(const std::string& text, const Args&... args) {
  return fmt::format(fmt::runtime(text), args...);
}
