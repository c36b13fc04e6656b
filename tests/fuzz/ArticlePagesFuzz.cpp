// The pages of a paged article download and their decipherer. The first byte
// picks the use: the pages merged as they came (plain, or as cipher texts
// with a password), the same pages enciphered here first, which must merge
// to the very file the plain pages give, or the input deciphered alone. The
// merged file is always a document the host can import.
#include <pugixml.hpp>

#include "FuzzSupport.h"
#include "shops/MergedArticleFile.h"
#include "support/CipherUtility.h"
#include "support/DeploymentDefaults.h"
#include "support/Error.h"
#include "support/Text.h"

namespace {

using namespace kanvio;

constexpr const char* kPassword = "geheim";

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string Merge(const std::vector<std::string>& pages, const std::string& password, const char* name) {
  const auto target = fuzz::FuzzFolder() / name;
  int errors = 0;
  MergedArticleFile::SaveAsMergedXml(pages, password, target, errors);
  Check(errors >= 0 && static_cast<std::size_t>(errors) <= pages.size());
  const std::string merged = fuzz::ReadAll(target);
  pugi::xml_document document;
  Check(document.load_buffer(merged.data(), merged.size()) &&
        std::string_view(document.document_element().name()) == "Artikelimport");
  return merged;
}

// The shop side pads every text with zero bytes and the decipherer joins the
// lines, so only pages of one UTF-8 line survive the trip unchanged.
bool SurvivesCipher(const std::string& page) {
  return page.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos &&
         text::FindInvalidUtf8(page) == std::string::npos && !page.starts_with(text::kUtf8Bom);
}

void MergeEnciphered(const std::vector<std::string>& pages) {
  std::vector<std::string> enciphered;
  bool comparable = true;
  for (const auto& page : pages) {
    enciphered.push_back(CipherUtility::EncryptPhp(page, kPassword, KANVIO_SHOP_CIPHER_IV));
    comparable = comparable && SurvivesCipher(page);
  }
  const std::string plain = Merge(pages, "", "plain.xml");
  const std::string deciphered = Merge(enciphered, kPassword, "deciphered.xml");
  if (comparable) Check(plain == deciphered);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseOwnHost();  // failed pages are logged
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest = fuzz::AsText(data + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      Merge(fuzz::Parts(rest), "", "merged.xml");
      break;
    case 1:
      Merge(fuzz::Parts(rest), kPassword, "merged.xml");
      break;
    case 2:
      MergeEnciphered(fuzz::Parts(rest));
      break;
    default: {
      // The password of a shop may be anything the host stored.
      const auto parts = fuzz::Parts(rest, "\n");
      try {
        CipherUtility::DecryptPhp(rest.substr(parts[0].size()), parts[0]);
      } catch (const Error&) {
      }
      break;
    }
  }
  return 0;
}
