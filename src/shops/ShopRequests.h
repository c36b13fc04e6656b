#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/HttpClient.h"

// Pieces of the requests that every shop family makes alike.
namespace kanvio {

// The failure text of an answer whose HTTP status the connector cannot use.
std::string HttpStatusMessage(int status);

// An order number as part of a shop address. Letters, digits, "-", "_" and
// "." stay as they are (the usual order number, byte for byte); every other
// byte is percent-encoded, so that the shop receives exactly the order number
// and not a split query or another path.
std::string EncodeOrderNumber(const std::string& order_number);

// The host imports what a download writes: an answer that is not a
// well-formed XML document (cut short, garbage, most web pages), or that is
// a web page, must not replace its file. Throws XmlError naming what is wrong.
void CheckImportable(const std::string& answer);
// The text of an upload whose answer says neither SUCCESS nor ROLLBACK: the
// result 0 alone would reach the host as a success.
extern const char* const kUnknownUploadAnswer;
// The text of a web page received where a shop's answer was expected.
extern const char* const kWebPageInsteadOfAnswer;

// The pages of a paged article download as they arrive. A count of articles
// that a broken answer inflates must neither keep the operation asking for
// pages without end nor fill the host's memory: more than kMaxPages pages, or
// pages over platform::kMaxAnswerBytes together, fail with a text.
class ArticlePages {
 public:
  static constexpr std::int64_t kMaxPages = 100'000;

  explicit ArticlePages(std::size_t max_bytes = platform::kMaxAnswerBytes) : max_bytes_(max_bytes) {}

  // The number of pages of page_size for count articles. Throws Error when
  // there would be more than kMaxPages.
  static std::int64_t Count(std::int64_t count, std::int64_t page_size);

  // Throws Error when the pages kept would grow too large together.
  void Add(std::string page);
  std::vector<std::string>& Texts() { return texts_; }

 private:
  std::size_t max_bytes_;
  std::vector<std::string> texts_;
  std::size_t bytes_ = 0;
};

}  // namespace kanvio
