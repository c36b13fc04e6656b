#pragma once

#include <httplib.h>

#include <string>

namespace kanvio::shopsim {

// One protocol family the simulator speaks (the PHP scripts and the REST
// plug-ins now; ePages SOAP and the marketplaces as further modules).
class ProtocolModule {
 public:
  virtual ~ProtocolModule() = default;
  // Adds the family's routes below `base_path` ("" or, say, "/shop").
  virtual void Register(httplib::Server& server, const std::string& base_path) = 0;

 protected:
  // `text` as a regular expression that matches exactly that text; routes
  // are regular expressions, base paths are not.
  static std::string EscapeForRegex(const std::string& text);
};

}  // namespace kanvio::shopsim
