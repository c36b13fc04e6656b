#pragma once

#include <filesystem>

namespace kanvio {

// Repairs, in place, an XML file whose only fault is bare ampersands (order
// reports carry them in company names). Constructing it does the work.
// A missing file raises Error; a file with other faults is left as it was.
class XMLFileRepair {
 public:
  explicit XMLFileRepair(const std::filesystem::path& file);

  int corrected_lines() const { return corrected_lines_; }

 private:
  int corrected_lines_ = 0;
};

}  // namespace kanvio
