#pragma once
// The connector library as a host sees it: loaded at run time, called only
// through its exports, every text handed over as a BSTR made by the
// allocator it shares with the library and every returned text freed with it.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "marlixKanvio/exports.h"
#include "platform/ComStringFunctions.h"
#include "platform/DynamicLibrary.h"

namespace kanvio::tool {

// What an export answered: its result code and its error text (UTF-8).
struct Answer {
  std::int32_t code = 0;
  std::string text;
  bool Failed() const { return code == -1 || !text.empty(); }
};

class ConnectorLibrary {
 public:
  // Throws kanvio::Error when the library cannot be loaded or lacks an export.
  explicit ConnectorLibrary(const std::filesystem::path& path);

  std::int32_t InitStatusAnzeige(StatusMeldungAnzeigen callback) const;
  std::int32_t DeInitStatusAnzeige() const;
  Answer Init(const std::string& erp, const std::string& shop, const std::string& url,
              const std::string& user, const std::string& password) const;
  Answer InitAmazon(const std::string& erp, const std::string& merchant_id, const std::string& language,
                    const std::string& date, const std::string& parameter) const;
  // token is in/out.
  Answer InitEbay(const std::string& erp, const std::string& username, const std::string& site,
                  const std::string& date, const std::string& sandbox, const std::string& parameter,
                  std::string& token) const;
  Answer GetReports() const;
  Answer DeInit() const;

  // Exports of the form (BSTR* Fehlermeldung).
  Answer Call(const std::string& name) const;
  // Exports of the form (BSTR text, BSTR* Fehlermeldung): the file operations,
  // FunctionSupported and SetEbayImportedOrdersPath.
  Answer Call(const std::string& name, const std::string& argument) const;

 private:
  class Bstr;
  template <typename Fn>
  Fn Export(const std::string& name) const;
  std::string TakeText(BSTR text) const;

  platform::DynamicLibrary library_;
  std::map<std::string, void*> exports_;
  platform::ComStringFunctions com_;
};

}  // namespace kanvio::tool
