#pragma once

#include <httplib.h>

#include <string>

namespace kanvio::shopsim {

// One protocol family the simulator speaks (the PHP scripts now; the REST
// plug-ins, ePages SOAP and the marketplaces as further modules).
class ProtocolModule {
 public:
  virtual ~ProtocolModule() = default;
  // Adds the family's routes below `base_path` ("" or, say, "/shop").
  virtual void Register(httplib::Server& server, const std::string& base_path) = 0;
};

}  // namespace kanvio::shopsim
