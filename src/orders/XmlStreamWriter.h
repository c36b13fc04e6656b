#pragma once
// A small forward-only XML writer for the files written for the host: UTF-8
// with byte-order mark, the declaration, elements one by one, "<Fax />" for an
// element without content, text escaped as XML requires.
//
// The document is written to a temporary file beside the target and takes the
// target's place when it is closed, so the host never finds a half-written
// file. A writer destroyed without Close() (an exception on its way out, say)
// either discards its file, leaving the target as it was, or, with
// AfterFailure::kKeepPartial, ends every open element and puts the part written
// so far in the target's place: closed and well-formed. After a failure of the
// file itself (disk full) nothing replaces the target.
//
// One thread at a time. Every operation throws kanvio::Error when the file
// cannot be written; a failing operation leaves no part of its markup behind.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace kanvio::orders {

class XmlStreamWriter {
 public:
  enum class AfterFailure { kDiscard, kKeepPartial };

  struct Format {
    bool standalone = false;  // standalone="yes" in the declaration
    bool indent = false;      // a line per element, two spaces per level; else one line
    AfterFailure after_failure = AfterFailure::kDiscard;
  };

  // Creates the temporary file and writes the byte-order mark and declaration.
  XmlStreamWriter(const std::filesystem::path& target, const Format& format);
  ~XmlStreamWriter();
  XmlStreamWriter(const XmlStreamWriter&) = delete;
  XmlStreamWriter& operator=(const XmlStreamWriter&) = delete;

  // Throws Error for a text that a comment cannot hold ("--", a final "-").
  void WriteComment(std::string_view text);
  void StartElement(std::string_view name);
  // A second root element is refused (Error).
  // Only directly after StartElement.
  void WriteAttribute(std::string_view name, std::string_view value);
  // <name>text</name>, or <name /> for the empty text.
  void WriteElementString(std::string_view name, std::string_view text);
  void EndElement();
  // Runs `unit`, whose markup reaches the file whole or not at all: when it
  // throws, its markup is taken back before the exception passes on. A unit
  // ends every element it starts and no other. Nested units belong to the
  // outermost one.
  void WriteUnit(const std::function<void()>& unit);
  // Ends every open element, writes the file to disk and replaces the target.
  // Throws Error for a document without root element.
  void Close();
  // Gives the file up: the target keeps what it held, whatever after_failure
  // says. For a writer whose input failed half-way. Never throws.
  void Discard() noexcept;

  std::size_t depth() const { return open_.size(); }

 private:
  struct OpenElement {
    std::string name;
    bool has_children = false;
  };

  // What a failed operation restores.
  struct Snapshot {
    std::size_t buffer_size;
    std::size_t depth;
    bool start_tag_open;
    bool parent_has_children;
    bool has_root;
  };

  Snapshot Take() const;
  void Restore(const Snapshot& snapshot);
  void BeginElement();
  void FinishStartTag();
  void StartLine(std::size_t level);
  void EndAll();
  void FlushIfFull();
  void Flush();
  template <class Append>
  void Atomically(Append append);

  platform::ReplacementFile file_;
  Format format_;
  std::string buffer_;
  std::vector<OpenElement> open_;
  bool start_tag_open_ = false;
  bool has_root_ = false;
  bool in_unit_ = false;
  bool closed_ = false;
  bool file_failed_ = false;
};

}  // namespace kanvio::orders
