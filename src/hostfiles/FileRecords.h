#pragma once
// The records of a host file without the whole file's document: the root's
// children are parsed a slice at a time, so that a large export never holds
// the text, the full document and the records read from it at once.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <initializer_list>

#include "hostfiles/RecordFields.h"

namespace kanvio {

constexpr std::size_t kRecordSliceBytes = 256 * 1024;

// The same calls, in the same order, as ForEachRecord over the document of
// HostXmlFile::LoadForReading(file), and the same exceptions; on_count gets
// the number of the root's child elements first (room to reserve). A file
// the slices cannot take apart soundly (UTF-16, a DOCTYPE, an empty root, a
// root named like the records) is read whole.
void ForEachFileRecord(const std::filesystem::path& file, const char* name,
                       std::initializer_list<const char*> field_names,
                       const std::function<void(std::size_t)>& on_count,
                       const std::function<bool(const RecordFields&)>& on_record,
                       std::size_t slice_bytes = kRecordSliceBytes);

}  // namespace kanvio
