#pragma once

#include <pugixml.hpp>
#include <string>

namespace kanvio {

// Collects what pugixml serialises at the end of a string.
class StringXmlWriter : public pugi::xml_writer {
 public:
  explicit StringXmlWriter(std::string& out) : out_(out) {}
  void write(const void* data, std::size_t size) override {
    out_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& out_;
};

}  // namespace kanvio
