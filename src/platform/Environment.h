#pragma once

#include <string>

namespace kanvio::platform {

// Sets an environment variable of this process (for libraries it loads later).
// Windows knows no empty variables: there an empty value removes it.
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

}  // namespace kanvio::platform
