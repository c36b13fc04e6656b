#pragma once

#include <string>

namespace kanvio {

// The host's folders as the path library reports them, UTF-8. A function the
// path library does not export leaves its field empty (false).
struct Paths {
  std::string IniPath;
  std::string UserDocs;
  std::string PublicDocs;
  std::string ProgramData;  // the only field the library itself uses
  std::string TempDir;
  bool IsWindowsConform = false;
  std::string ReportFolder;
  std::string DocumentsFolder;
  std::string DatabaseFolder;
};

}  // namespace kanvio
