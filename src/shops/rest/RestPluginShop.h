#pragma once
// A shop served through the REST plug-in that its operator installs: plain
// HTTP endpoints below a base path of the shop's address. shopware4 and
// magento2 differ only in that path and in how articles are downloaded.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/HttpClient.h"
#include "shops/IShop.h"
#include "shops/IWorker.h"

namespace kanvio {

class RestPluginShop : public IShop {
 public:
  std::int32_t HoleBestellungenVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikellisteVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) override;
  std::int32_t KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) override;
  std::int32_t ExportArtikelZumShop(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatus(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID,
                                            bool funcCheck) override;
  std::int32_t SetzeLagerbestand(std::string& error, bool funcCheck) override;
  std::int32_t SetzeArtikelPreise(std::string& error, bool funcCheck) override;
  std::int32_t ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) override;
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override;

  // Appends the protocol of the plug-in's answer res to the host's file
  // (root typ). An answer lacking one of the three values gives the start
  // values; a file with another root stays as it is. Never throws.
  static void writeResult(const std::string& res, const std::string& typ);

 protected:
  // worker may be absent; it then shows no package or page progress.
  RestPluginShop(IWorker* worker, platform::HttpClientFactory http);

  // The plug-in's path for the ERP identifier, with a slash at each end;
  // empty for an identifier the plug-in has no path for.
  virtual std::string BasePath(const std::string& erp) const = 0;

  // The requests of one operation: one client, so that they share a
  // connection; the TLS versions are applied again before every request.
  class Session {
   public:
    // Throws Error, before any request, when the ERP identifier has no path.
    explicit Session(const RestPluginShop& shop);
    // Throws TransportError, or HttpStatusError for a status other than 2xx.
    std::string Get(const std::string& endpoint);
    // The answer's text whatever its status. Throws TransportError.
    std::string Post(const std::string& endpoint, std::string body);
    std::string Fetch(const std::string& endpoint) {
      return Send(platform::HttpMethod::kGet, endpoint, {}).Text();
    }

   private:
    platform::HttpResponse Send(platform::HttpMethod method, const std::string& endpoint, std::string body);

    std::string base_url_;
    platform::HttpRequest set_up_;  // what every request of the operation shares
    std::unique_ptr<platform::HttpClient> client_;
  };

  // GET endpoint: -1 (error = the failure's message) for a failure, 0 for a
  // web page, otherwise 1 after saving the answer for the host when save.
  std::int32_t SimpleDownload(const std::string& endpoint, std::string& error, bool save) const;

  // A whole number as the plug-in writes it (blanks around it allowed).
  static std::optional<std::int64_t> ParseWholeNumber(std::string_view text);

  IWorker* worker_;

 private:
  struct Upload;
  std::int32_t UploadFile(const Upload& upload) const;
  std::int32_t UploadInPackages(const Upload& upload, Session& session, const std::string& file) const;
  std::int32_t UploadWhole(const Upload& upload, Session& session, const std::string& file) const;

  platform::HttpClientFactory http_;
};

}  // namespace kanvio
