#pragma once
// The HTTP protocol of the PHP scripts on a shop server. One object serves
// one operation: its requests share one connection. Every operation reads
// the settings store afresh; error is the operation's text for the host.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostfiles/ResultProtocol.h"
#include "platform/HttpClient.h"
#include "shops/IWorker.h"

namespace kanvio {

class PHPFileConnector {
 public:
  explicit PHPFileConnector(platform::HttpClientFactory factory = platform::CreateHttpClient);
  ~PHPFileConnector();

  // 1 connected; -1 the answer is a web page; -2 failure (error says why).
  std::int32_t Check_Con(std::string& error);
  // 1 offered; -1 not offered; -2 not implemented or failure.
  std::int32_t Check_Function(const std::string& function, std::string& error, bool isUtf8);
  // 1 orders written; 0 nothing new; -1 failure.
  std::int32_t GET_ORDERS_FROM_PHP_FILE(std::string& error);
  // 1 articles written; 0 an answer without rows; -1 failure. A paging
  // answer that is not usable raises Error.
  std::int32_t GET_ARTICLES_FROM_PHP_FILE(std::string& error, bool isUtf8, bool paging);
  // 1 list written; 0 empty list written; -1 no list.
  std::int32_t GET_ARTICLELIST_FROM_SHOP(bool isUtf8);
  // 1 success; 0 unknown answer; -1 rollback or failure.
  std::int32_t SEND_ARTICLES_TO_PHP_FILE(std::string& error, IWorker* worker, bool isUtf8);
  std::int32_t SEND_ARTICLEPRICES_TO_SHOP(std::string& error, IWorker* worker, bool isUtf8);
  std::int32_t SEND_STOCKVALUES_TO_SHOP(std::string& error, bool isUtf8);
  // 1 done; -1 failure. A file that is not XML raises Error before any request.
  std::int32_t SEND_ORDER_STATUS(std::string& error);
  // The number of open orders; 0 for an unreadable answer; -1 failure.
  std::int32_t CHECK_AMOUNT_OPEN_ORDERS(std::string& error);
  // The paging answer, or the empty text.
  std::string GET_PAGING_INFOS(std::string& error);

  // Appends the protocol of the answer res to the host's file (root typ).
  static void writeResult(const std::string& res, const std::string& typ);
  // The POST request to the sync script for sync with the body file.
  platform::HttpRequest buildWebRequest(const std::string& sync, const std::string& file, bool isUTF8) const;

 private:
  struct Connection;
  struct Answer;
  struct Upload;

  const Connection& Open();
  Answer Exchange(const platform::HttpRequest& request);
  static void FailOnRepeated501(const Answer& answer, bool isUtf8);
  platform::HttpRequest Query(const std::string& url, bool long_running) const;
  platform::HttpRequest FunctionCheck(const std::string& function, bool isUtf8) const;

  std::int32_t DownloadArticles(std::string& error, bool isUtf8);
  std::int32_t DownloadArticlePages(std::int64_t count, bool isUtf8);
  std::int32_t UploadFile(const Upload& upload, std::string& error, IWorker* worker, bool isUtf8);
  std::int32_t UploadInPackages(const Upload& upload, IWorker* worker, bool isUtf8);
  std::int32_t UploadWhole(const Upload& upload, bool isUtf8);
  static std::int32_t EvaluateUploadAnswer(const std::string& answer, std::vector<ExportProtocol>& protocols);
  void AppendProtocols(const Upload& upload, std::vector<ExportProtocol>& protocols) const;
  // Writes an answer for the host unchanged; refuses one it could not import.
  void WriteImportable(const std::string& text) const;

  platform::HttpClientFactory factory_;
  std::unique_ptr<platform::HttpClient> client_;
  std::unique_ptr<Connection> connection_;
};

}  // namespace kanvio
