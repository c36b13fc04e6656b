#pragma once
// Writing a failure to the error log from the places that must not fail
// themselves: the C boundary, the end of a background task, posted actions.
// A failure of the log itself is swallowed there; nothing could report it.

#include <exception>
#include <string>

namespace kanvio {

void LogFailure(const std::exception& failure) noexcept;
void LogFailure(const std::string& message) noexcept;
// Only inside a catch block: logs the exception being handled, of any type.
void LogCaughtFailure() noexcept;

}  // namespace kanvio
