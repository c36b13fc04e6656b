#include "platform/CommandLine.h"

namespace kanvio::platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace kanvio::platform
