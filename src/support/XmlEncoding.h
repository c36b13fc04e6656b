#pragma once
// The character encoding of XML texts that come from outside (shop answers,
// deciphered pages, host files): the one a byte-order mark, the transport (an
// HTTP charset) or the XML declaration names, and the conversion of such a
// text to the library's UTF-8 under a declaration that says so. A converted
// text that kept its old declaration would be read by the next parser as
// Latin-1 again ("MÃ¼nchen").

#include <optional>
#include <string>
#include <string_view>

namespace kanvio::text {

enum class Charset { kUtf8, kLatin1, kCp1252, kLatin9, kUtf16Le, kUtf16Be, kUnknown };

// By IANA name or common alias, ignoring case and surrounding blanks:
// "UTF-8", "US-ASCII" (a subset of UTF-8), "ISO-8859-1"/"latin1",
// "windows-1252"/"cp1252", "ISO-8859-15"/"latin9", "UTF-16" (little endian
// without a mark), "UTF-16LE", "UTF-16BE". Anything else is kUnknown.
Charset CharsetNamed(std::string_view name);

// The bytes in charset as UTF-8; nullopt for kUnknown.
std::optional<std::string> ToUtf8(std::string_view bytes, Charset charset);

// The encoding named in the XML declaration that opens xml (after an
// optional UTF-8 byte-order mark), as written; empty when there is none.
std::string_view DeclaredEncoding(std::string_view xml);

// xml with the encoding of its opening declaration set to "UTF-8"; unchanged
// when there is no declaration, no encoding in it, or it names UTF-8.
std::string DeclareUtf8(std::string xml);

// The bytes of an answer as UTF-8. In this order: a byte-order mark; the
// transport's charset (a charset it names that is unknown leaves the bytes
// as they came); UTF-16 recognised by its zero bytes; an 8-bit encoding the
// declaration names, unless the transport said UTF-8 and the bytes are
// well-formed UTF-8 (servers label every answer UTF-8 by default, the
// script that wrote the declaration knows better); otherwise the bytes
// unchanged. Whenever the text is known to be UTF-8 now, its declaration
// says so.
std::string XmlToUtf8(std::string_view bytes, std::string_view transport_charset = {});

}  // namespace kanvio::text
