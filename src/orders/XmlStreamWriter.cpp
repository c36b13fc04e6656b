#include "orders/XmlStreamWriter.h"

#include <array>
#include <cstdint>

#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::orders {
namespace {

// Large blocks keep the number of system calls small; the buffer gets some room
// beyond it so that one element rarely makes it grow.
constexpr std::size_t kFlushSize = std::size_t{1} << 20;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr std::string_view kNewLine = "\r\n";

// Bytes that text can hold as they are: everything but markup characters,
// control characters that XML does not allow, and the start of multi-byte
// sequences, which are checked one by one.
enum class Context { kText, kAttribute, kComment };

constexpr std::array<bool, 256> MakePlainTable(Context context) {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) plain[c] = true;
  plain['\t'] = plain['\n'] = plain['\r'] = context != Context::kAttribute;
  if (context == Context::kComment) return plain;
  plain['&'] = plain['<'] = plain['>'] = false;
  if (context == Context::kAttribute) plain['"'] = false;
  return plain;
}
constexpr auto kPlainInText = MakePlainTable(Context::kText);
constexpr auto kPlainInAttribute = MakePlainTable(Context::kAttribute);
constexpr auto kPlainInComment = MakePlainTable(Context::kComment);

// Length of the well-formed UTF-8 sequence of a character that XML allows at p,
// or 0 (overlong forms, surrogates, U+FFFE, U+FFFF, beyond U+10FFFF, cut off).
std::size_t XmlCharacterLength(const unsigned char* p, const unsigned char* end) {
  const auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  const std::size_t left = static_cast<std::size_t>(end - p);
  if (p[0] >= 0xC2 && p[0] <= 0xDF) return left >= 2 && continuation(p[1]) ? 2 : 0;
  if (p[0] >= 0xE0 && p[0] <= 0xEF) {
    if (left < 3 || !continuation(p[1]) || !continuation(p[2])) return 0;
    if (p[0] == 0xE0 && p[1] < 0xA0) return 0;
    if (p[0] == 0xED && p[1] >= 0xA0) return 0;
    if (p[0] == 0xEF && p[1] == 0xBF && p[2] >= 0xBE) return 0;
    return 3;
  }
  if (p[0] >= 0xF0 && p[0] <= 0xF4) {
    if (left < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3])) return 0;
    if ((p[0] == 0xF0 && p[1] < 0x90) || (p[0] == 0xF4 && p[1] >= 0x90)) return 0;
    return 4;
  }
  return 0;
}

// Appends text escaped for content or an attribute value. A character that XML
// cannot hold, or a byte that is not UTF-8, becomes U+FFFD so that the file
// stays well-formed.
void AppendEscaped(std::string& out, std::string_view text, const std::array<bool, 256>& plain) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  const auto* run = p;
  while (p != end) {
    if (plain[*p]) {
      ++p;
      continue;
    }
    out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
    std::size_t length = 1;
    switch (*p) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\t':
        out += "&#x9;";
        break;
      case '\n':
        out += "&#xA;";
        break;
      case '\r':
        out += "&#xD;";
        break;
      default:
        length = *p >= 0x80 ? XmlCharacterLength(p, end) : 0;
        if (length == 0) {
          out += kReplacementCharacter;
          length = 1;
        } else {
          out.append(reinterpret_cast<const char*>(p), length);
        }
    }
    p += length;
    run = p;
  }
  out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(end - run));
}

}  // namespace

XmlStreamWriter::XmlStreamWriter(const std::filesystem::path& target, const Format& format)
    : file_(target), format_(format) {
  buffer_.reserve(kFlushSize + kFlushSize / 4);
  buffer_ += text::kUtf8Bom;
  buffer_ += R"(<?xml version="1.0" encoding="utf-8")";
  buffer_ += format_.standalone ? R"( standalone="yes"?>)" : "?>";
  open_.reserve(8);
}

XmlStreamWriter::~XmlStreamWriter() {
  if (closed_ || file_failed_ || format_.after_failure != AfterFailure::kKeepPartial) return;
  try {
    Close();
  } catch (...) {
    // The file is discarded; the target keeps what it held.
  }
}

XmlStreamWriter::Snapshot XmlStreamWriter::Take() const {
  return {buffer_.size(), open_.size(), start_tag_open_, !open_.empty() && open_.back().has_children,
          has_root_};
}

void XmlStreamWriter::Restore(const Snapshot& snapshot) {
  buffer_.resize(snapshot.buffer_size);
  open_.resize(snapshot.depth);
  start_tag_open_ = snapshot.start_tag_open;
  if (!open_.empty()) open_.back().has_children = snapshot.parent_has_children;
  has_root_ = snapshot.has_root;
}

template <class Append>
void XmlStreamWriter::Atomically(Append append) {
  if (closed_) throw Error("Die XML-Datei ist bereits geschlossen");
  if (file_failed_) throw Error("Die XML-Datei " + file_.temporary_path().string() + " ist unvollständig");
  const Snapshot before = Take();
  try {
    append();
  } catch (...) {
    Restore(before);
    throw;
  }
  FlushIfFull();
}

void XmlStreamWriter::WriteUnit(const std::function<void()>& unit) {
  if (in_unit_) return unit();
  const Snapshot before = Take();
  in_unit_ = true;
  try {
    unit();
  } catch (...) {
    in_unit_ = false;
    if (!file_failed_) Restore(before);
    throw;
  }
  in_unit_ = false;
  FlushIfFull();
}

void XmlStreamWriter::BeginElement() {
  if (open_.empty()) {
    if (has_root_) throw Error("Die XML-Datei hat bereits ein Wurzelelement");
    has_root_ = true;
  }
  FinishStartTag();
}

void XmlStreamWriter::FinishStartTag() {
  if (start_tag_open_) buffer_ += '>';
  start_tag_open_ = false;
  if (!open_.empty()) open_.back().has_children = true;
}

void XmlStreamWriter::StartLine(std::size_t level) {
  if (!format_.indent) return;
  buffer_ += kNewLine;
  buffer_.append(2 * level, ' ');
}

void XmlStreamWriter::WriteComment(std::string_view text) {
  if (text.find("--") != std::string_view::npos || (!text.empty() && text.back() == '-'))
    throw Error("Ungültiger Kommentar in der XML-Datei: " + std::string(text));
  Atomically([&] {
    FinishStartTag();
    StartLine(open_.size());
    buffer_ += "<!--";
    AppendEscaped(buffer_, text, kPlainInComment);
    buffer_ += "-->";
  });
}

void XmlStreamWriter::StartElement(std::string_view name) {
  Atomically([&] {
    BeginElement();
    StartLine(open_.size());
    open_.push_back({std::string(name), false});
    buffer_ += '<';
    buffer_ += name;
    start_tag_open_ = true;
  });
}

void XmlStreamWriter::WriteAttribute(std::string_view name, std::string_view value) {
  if (!start_tag_open_) throw Error("Ein XML-Attribut steht nur direkt nach dem Anfang eines Elements");
  Atomically([&] {
    buffer_ += ' ';
    buffer_ += name;
    buffer_ += "=\"";
    AppendEscaped(buffer_, value, kPlainInAttribute);
    buffer_ += '"';
  });
}

void XmlStreamWriter::WriteElementString(std::string_view name, std::string_view text) {
  Atomically([&] {
    BeginElement();
    StartLine(open_.size());
    buffer_ += '<';
    buffer_ += name;
    if (text.empty()) {
      buffer_ += " />";
      return;
    }
    buffer_ += '>';
    AppendEscaped(buffer_, text, kPlainInText);
    buffer_ += "</";
    buffer_ += name;
    buffer_ += '>';
  });
}

void XmlStreamWriter::EndElement() {
  if (open_.empty()) throw Error("Kein offenes XML-Element");
  Atomically([&] {
    const OpenElement& element = open_.back();
    if (start_tag_open_) {
      buffer_ += " />";
      start_tag_open_ = false;
    } else {
      if (element.has_children) StartLine(open_.size() - 1);
      buffer_ += "</";
      buffer_ += element.name;
      buffer_ += '>';
    }
    open_.pop_back();
  });
}

void XmlStreamWriter::EndAll() {
  while (!open_.empty()) EndElement();
}

void XmlStreamWriter::Discard() noexcept {
  closed_ = true;
  file_.Discard();
}

void XmlStreamWriter::Close() {
  if (closed_) return;
  if (file_failed_) throw Error("Die XML-Datei " + file_.temporary_path().string() + " ist unvollständig");
  try {
    if (!has_root_)
      throw Error("Die XML-Datei " + file_.temporary_path().string() + " hat kein Wurzelelement");
    EndAll();
    Flush();
    closed_ = true;
    file_.Commit();
  } catch (...) {
    closed_ = true;
    file_.Discard();
    throw;
  }
}

void XmlStreamWriter::FlushIfFull() {
  if (!in_unit_ && buffer_.size() >= kFlushSize) Flush();
}

void XmlStreamWriter::Flush() {
  try {
    file_.Write(buffer_);
  } catch (...) {
    file_failed_ = true;
    throw;
  }
  buffer_.clear();
}

}  // namespace kanvio::orders
