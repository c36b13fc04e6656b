#include "ConnectorLibrary.h"

#include <cstring>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::tool {
namespace {

const char* const kExports[] = {
    "InitStatusAnzeige",
    "DeInitStatusAnzeige",
    "InitAmazon",
    "ManageReportSchedule",
    "ManageReportScheduleFBA",
    "GetReports",
    "GetOrders",
    "InitEbay",
    "SetEbayImportedOrdersPath",
    "Init",
    "FunctionSupported",
    "GetUnimportedOrdersCount",
    "GetWebshopArticleList",
    "GetArticles",
    "SetArticles",
    "SetOrderStatus",
    "DeInit",
    "SetStockValues",
    "SetPriceLists",
    "SetArticlePrices",
};

using PlainExport = std::int32_t(KANVIO_CALL*)(BSTR*);
using TextExport = std::int32_t(KANVIO_CALL*)(BSTR, BSTR*);

}  // namespace

// A BSTR that the host owns: made with the shared allocator, freed with it.
class ConnectorLibrary::Bstr {
 public:
  Bstr(const ConnectorLibrary& library, const std::string& utf8) : library_(library) {
    const std::u16string utf16 = text::Utf8ToUtf16(utf8);
    text_ = library.com_.alloc(reinterpret_cast<const OLECHAR*>(utf16.data()),
                               static_cast<uint32_t>(utf16.size()));
    if (text_ == nullptr) throw Error("SysAllocStringLen hat keinen Speicher geliefert.");
  }
  ~Bstr() { library_.com_.free(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  operator BSTR() const { return text_; }
  // For in/out parameters: the callee may free the text and store another.
  BSTR* InOut() { return &text_; }

 private:
  const ConnectorLibrary& library_;
  BSTR text_;
};

ConnectorLibrary::ConnectorLibrary(const std::filesystem::path& path) : library_(path) {
  for (const char* name : kExports) {
    void* symbol = library_.Symbol(name);
    if (symbol == nullptr) throw Error(platform::PathToUtf8(path) + " exportiert " + name + " nicht.");
    exports_[name] = symbol;
  }
  com_ = platform::ComStringFunctionsFor(library_);
  if (!com_.alloc || !com_.length || !com_.free || !com_.task_free)
    throw Error(platform::PathToUtf8(path) + " exportiert die COM-Textfunktionen nicht.");
}

template <typename Fn>
Fn ConnectorLibrary::Export(const std::string& name) const {
  auto symbol = exports_.find(name);
  if (symbol == exports_.end()) throw Error("Unbekannte Funktion " + name);
  return reinterpret_cast<Fn>(symbol->second);
}

std::string ConnectorLibrary::TakeText(BSTR text) const {
  if (text == nullptr) return {};
  std::string utf8 =
      text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), com_.length(text)));
  com_.free(text);
  return utf8;
}

std::int32_t ConnectorLibrary::InitStatusAnzeige(StatusMeldungAnzeigen callback) const {
  return Export<decltype(&::InitStatusAnzeige)>("InitStatusAnzeige")(callback);
}

std::int32_t ConnectorLibrary::DeInitStatusAnzeige() const {
  return Export<decltype(&::DeInitStatusAnzeige)>("DeInitStatusAnzeige")();
}

Answer ConnectorLibrary::Init(const std::string& erp, const std::string& shop, const std::string& url,
                              const std::string& user, const std::string& password) const {
  Bstr e(*this, erp), s(*this, shop), u(*this, url), n(*this, user), p(*this, password);
  BSTR error = nullptr;
  Answer answer;
  answer.code = Export<decltype(&::Init)>("Init")(e, s, u, n, p, &error);
  answer.text = TakeText(error);
  return answer;
}

Answer ConnectorLibrary::InitAmazon(const std::string& erp, const std::string& merchant_id,
                                    const std::string& language, const std::string& date,
                                    const std::string& parameter) const {
  Bstr e(*this, erp), m(*this, merchant_id), l(*this, language), d(*this, date), p(*this, parameter);
  BSTR error = nullptr;
  Answer answer;
  answer.code = Export<decltype(&::InitAmazon)>("InitAmazon")(e, m, l, d, p, &error);
  answer.text = TakeText(error);
  return answer;
}

Answer ConnectorLibrary::InitEbay(const std::string& erp, const std::string& username,
                                  const std::string& site, const std::string& date,
                                  const std::string& sandbox, const std::string& parameter,
                                  std::string& token) const {
  Bstr e(*this, erp), u(*this, username), s(*this, site), d(*this, date), b(*this, sandbox),
      p(*this, parameter);
  Bstr in_out(*this, token);
  BSTR error = nullptr;
  Answer answer;
  answer.code = Export<decltype(&::InitEbay)>("InitEbay")(e, u, s, d, b, p, &error, in_out.InOut());
  answer.text = TakeText(error);
  BSTR held = *in_out.InOut();
  token =
      held
          ? text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(held), com_.length(held)))
          : std::string();
  return answer;
}

Answer ConnectorLibrary::GetReports() const {
  char* error = nullptr;
  Answer answer;
  answer.code = Export<decltype(&::GetReports)>("GetReports")(&error);
  if (error != nullptr) {
    answer.text = platform::NarrowToUtf8(error);
    com_.task_free(error);
  }
  return answer;
}

Answer ConnectorLibrary::DeInit() const { return Call("DeInit"); }

Answer ConnectorLibrary::Call(const std::string& name) const {
  BSTR error = nullptr;
  Answer answer;
  answer.code = Export<PlainExport>(name)(&error);
  answer.text = TakeText(error);
  return answer;
}

Answer ConnectorLibrary::Call(const std::string& name, const std::string& argument) const {
  Bstr text(*this, argument);
  BSTR error = nullptr;
  Answer answer;
  answer.code = Export<TextExport>(name)(text, &error);
  answer.text = TakeText(error);
  return answer;
}

}  // namespace kanvio::tool
