#pragma once

#include <string>
#include <vector>

namespace kanvio::platform {

// The program's arguments in UTF-8, the program's name first. Windows hands
// main() its arguments in the ANSI code page, which garbles or loses every
// character outside it; there they come from the wide command line instead.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace kanvio::platform
