#pragma once

#include <filesystem>
#include <string>

namespace kanvio {

// Repairs, in place, an XML file whose only fault is bare ampersands (order
// reports carry them in company names). Constructing it does the work.
// A missing file raises Error; a file with other faults is left as it was.
class XMLFileRepair {
 public:
  explicit XMLFileRepair(const std::filesystem::path& file);
  // The same for a file whose bytes the caller has read already: `content`
  // holds them, and afterwards what the file holds then.
  XMLFileRepair(const std::filesystem::path& file, std::string& content);

  int corrected_lines() const { return corrected_lines_; }

 private:
  void Repair(const std::filesystem::path& file, std::string& content);

  int corrected_lines_ = 0;
};

}  // namespace kanvio
