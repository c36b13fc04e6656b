#pragma once
// What the product uploads share at their start and end: the answers to a
// preparation or a host file that failed, and the result protocols.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "hostfiles/ResultProtocol.h"

namespace kanvio::epages {

// The preparation (settings, shop path, stubs) failed: logged, a ROLLBACK
// protocol appended to the file when it can be, error = the connection
// text; -1.
std::int32_t FailToConnect(const std::exception& failure, const std::filesystem::path& file,
                           const std::string& root, std::string& error);
// The host file could not be read at all (not there, not readable, not XML
// and not even a protocol could be appended): logged, error = its message; -1.
std::int32_t FailToRead(const std::exception& failure, std::string& error);
// The reader refused the file with a text: a ROLLBACK protocol with the
// records read and none passed, error = the reader's text; -2.
std::int32_t RefuseFile(const std::filesystem::path& file, const std::string& root, std::size_t read,
                        const std::string& read_error, std::string& error);

// Appends the protocols in one save. False (logged, error set) when the file
// cannot take them: the host would not learn the outcome.
bool WriteProtocols(const std::filesystem::path& file, const std::string& root,
                    const std::vector<ExportProtocol>& protocols, std::string& error);

}  // namespace kanvio::epages
