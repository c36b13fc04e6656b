#include "platform/FileSystem.h"

namespace kanvio::platform {

void WriteFileAtomically(const std::filesystem::path& target, const std::string& data) {
  ReplacementFile file(target);
  file.Write(data);
  file.Commit();
}

}  // namespace kanvio::platform
