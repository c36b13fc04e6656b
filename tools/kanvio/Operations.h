#pragma once
// The operations a kanvio run can chain after the initialisation, each the
// call of one export.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ConnectorLibrary.h"

namespace kanvio::tool {

struct Operation {
  std::string_view command;      // as typed on the command line
  std::string_view export_name;  // the export it calls
  std::string_view argument;     // name of its one argument, empty when it takes none
  std::string_view help;
};

// One operation with its argument, as the user gave it.
struct Step {
  const Operation* operation;
  std::string argument;
};

const std::vector<Operation>& Operations();

// Splits "get-orders a.xml count-orders ..." into steps; throws kanvio::Error
// naming the first word that is no operation or an operation without its
// argument (an empty FILE counts as none).
std::vector<Step> ParseSteps(const std::vector<std::string>& words);

// The help text that lists the operations.
std::string OperationsHelp();

// The full path of a UTF-8 path, which the library expects. Throws (a
// filesystem error) when there is none, e.g. the working folder is gone.
std::string AbsolutePath(const std::string& path);

// Calls the export of the step. Relative file paths are made absolute first:
// the library expects full paths.
Answer Run(const ConnectorLibrary& library, const Step& step);

}  // namespace kanvio::tool
