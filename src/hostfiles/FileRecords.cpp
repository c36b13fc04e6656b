#include "hostfiles/FileRecords.h"

#include <fmt/format.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostfiles/HostXmlFile.h"
#include "support/Error.h"

namespace kanvio {
namespace {

// Where the root's content lies and where it may be cut: only between two of
// the root's children, so every slice is a well-formed fragment on its own.
struct Layout {
  std::size_t content_begin = 0;  // past the root's start tag
  std::size_t content_end = 0;    // at the root's end tag
  std::vector<std::size_t> cuts;  // slice ends, ascending; the last is content_end
  std::size_t elements = 0;       // the root's child elements
};

// A scan that knows just enough markup to find the root's children: tags
// with quoted attribute values, comments, CDATA and processing
// instructions. Whatever it does not expect ends it (nullopt); the parser
// then judges the whole file.
class Scanner {
 public:
  Scanner(std::string_view text, const char* record_name, std::size_t slice_bytes)
      : text_(text), record_name_(record_name), slice_bytes_(slice_bytes) {}

  std::optional<Layout> Scan() {
    Layout layout;
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    if (!SkipProlog() || !RootStart(layout) || !Content(layout) || !Epilog()) return std::nullopt;
    return layout;
  }

 private:
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  bool At(std::string_view what) const { return text_.substr(pos_).starts_with(what); }
  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }
  // Past end, searched from opening characters on: "<!-->" opens a comment, it does not close one.
  bool SkipPast(std::size_t opening, std::string_view end) {
    const std::size_t found = text_.find(end, pos_ + opening);
    if (found == std::string_view::npos) return false;
    pos_ = found + end.size();
    return true;
  }
  // Comments and processing instructions, the only markup outside the root.
  bool SkipMisc() {
    if (At("<!--")) return SkipPast(4, "-->");
    if (At("<?")) return SkipPast(2, "?>");
    return false;
  }
  // From inside a start tag past its '>'.
  bool SkipTag(bool& self_closing) {
    char quote = 0;
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        self_closing = text_[pos_ - 1] == '/';
        ++pos_;
        return true;
      }
    }
    return false;
  }

  bool SkipProlog() {
    for (;;) {
      SkipSpace();
      if (!At("<")) return false;
      if (At("<!--") || At("<?")) {
        if (!SkipMisc()) return false;
        continue;
      }
      return !At("<!");  // a DOCTYPE
    }
  }

  bool RootStart(Layout& layout) {
    const std::size_t name_begin = ++pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '/' && text_[pos_] != '>') ++pos_;
    const std::string_view name = text_.substr(name_begin, pos_ - name_begin);
    // A root that is itself a record belongs to no slice.
    if (name.empty() || name == record_name_) return false;
    bool self_closing = false;
    if (!SkipTag(self_closing) || self_closing) return false;
    layout.content_begin = pos_;
    return true;
  }

  bool Content(Layout& layout) {
    std::size_t depth = 0;
    std::size_t slice_begin = pos_;
    for (;;) {
      pos_ = text_.find('<', pos_);
      if (pos_ == std::string_view::npos || pos_ + 1 == text_.size()) return false;
      switch (text_[pos_ + 1]) {
        case '/':
          if (depth == 0) {
            layout.content_end = pos_;
            if (layout.cuts.empty() || layout.cuts.back() != pos_) layout.cuts.push_back(pos_);
            return SkipPast(2, ">");
          }
          // An end tag holds a name and white space, nothing quoted.
          if (!SkipPast(2, ">")) return false;
          --depth;
          break;
        case '!':
          if (At("<!--")) {
            if (!SkipPast(4, "-->")) return false;
          } else if (At("<![CDATA[")) {
            if (!SkipPast(9, "]]>")) return false;
          } else {
            return false;
          }
          continue;
        case '?':
          if (!SkipPast(2, "?>")) return false;
          continue;
        default: {
          bool self_closing = false;
          ++pos_;
          if (!SkipTag(self_closing)) return false;
          if (depth == 0) ++layout.elements;
          if (!self_closing) ++depth;
        }
      }
      if (depth == 0 && pos_ - slice_begin >= slice_bytes_) {
        layout.cuts.push_back(pos_);
        slice_begin = pos_;
      }
    }
  }

  bool Epilog() {
    for (;;) {
      SkipSpace();
      if (pos_ == text_.size()) return true;
      if (!SkipMisc()) return false;
    }
  }

  std::string_view text_;
  std::string_view record_name_;
  std::size_t slice_bytes_;
  std::size_t pos_ = 0;
};

// The root with its prolog and epilog but none of its content: the parser
// checks the markup the slices leave out (attributes, the end tag's name).
bool FrameIsWellFormed(std::string_view text, const Layout& layout) {
  std::string frame;
  frame.reserve(layout.content_begin + text.size() - layout.content_end);
  frame.append(text.substr(0, layout.content_begin)).append(text.substr(layout.content_end));
  pugi::xml_document document;
  return document.load_buffer(frame.data(), frame.size(), HostXmlFile::kReadingOptions, pugi::encoding_utf8);
}

std::size_t ChildCount(pugi::xml_node element) {
  std::size_t count = 0;
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) ++count;
  return count;
}

void ForEachRecordWhole(const std::filesystem::path& file, const char* name,
                        std::initializer_list<const char*> field_names,
                        const std::function<void(std::size_t)>& on_count,
                        const std::function<bool(const RecordFields&)>& on_record) {
  const HostXmlFile host_file = HostXmlFile::LoadForReading(file);
  on_count(ChildCount(host_file.Root()));
  ForEachRecord(host_file.Document(), name, field_names, on_record);
}

}  // namespace

void ForEachFileRecord(const std::filesystem::path& file, const char* name,
                       std::initializer_list<const char*> field_names,
                       const std::function<void(std::size_t)>& on_count,
                       const std::function<bool(const RecordFields&)>& on_record, std::size_t slice_bytes) {
  std::optional<HostXmlFile::Bytes> bytes = HostXmlFile::LoadUtf8ForReading(file);
  if (!bytes) return ForEachRecordWhole(file, name, field_names, on_count, on_record);
  const std::string_view text(bytes->data.get(), bytes->size);
  const std::optional<Layout> layout = Scanner(text, name, slice_bytes).Scan();
  if (!layout || !FrameIsWellFormed(text, *layout))
    return ForEachRecordWhole(file, name, field_names, on_count, on_record);
  on_count(layout->elements);
  bool go_on = true;
  const auto stop_when_told = [&](const RecordFields& fields) { return go_on = on_record(fields); };
  std::size_t begin = layout->content_begin;
  for (const std::size_t end : layout->cuts) {
    if (end == begin) continue;
    pugi::xml_document slice;
    // In place: each slice's bytes are parsed once and never needed again.
    if (!slice.load_buffer_inplace(bytes->data.get() + begin, end - begin,
                                   HostXmlFile::kReadingOptions | pugi::parse_fragment,
                                   pugi::encoding_utf8)) {
      // The whole file's parse names the fault and its line.
      HostXmlFile::LoadForReading(file);
      throw XmlError(fmt::format("Die Datei {} ist keine gültige XML-Datei.", PathToUtf8(file)));
    }
    // Once told to stop, the rest is only parsed: a broken file is reported
    // as broken, as the whole document's parse would have reported it first.
    if (go_on) ForEachRecord(slice, name, field_names, stop_when_told);
    begin = end;
  }
}

}  // namespace kanvio
