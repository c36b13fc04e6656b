#pragma once

namespace kanvio {

// Constructing it brings the shop configuration file into its current form:
// creates it, converts the old line format, adds what newer versions added.
// Throws Error when the file's place cannot be determined (no path library);
// every other failure is logged and leaves the file as far as it got.
class ConfigFileWriter {
 public:
  ConfigFileWriter();
};

}  // namespace kanvio
