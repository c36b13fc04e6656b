#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kanvio::shopsim {

// One request as it arrived.
struct RecordedRequest {
  std::string target;  // the most specific switch target, e.g. "sync:lqx_to_shop"
  std::string method;
  std::string path;                                          // decoded, without the query
  std::string query;                                         // as received, still encoded
  std::vector<std::pair<std::string, std::string>> params;   // decoded query values
  std::vector<std::pair<std::string, std::string>> headers;  // in arrival order
  std::string body;
  int remote_port = 0;  // the client's port: requests of one connection share it

  // The first value of the header or parameter, empty when absent; header
  // names compare without case.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
  std::string Param(std::string_view name) const;
};

// Every request the simulator received, and a count per switch target. Every
// member may be called from any thread.
class RequestLog {
 public:
  // Counts the request under every target given.
  void Add(RecordedRequest request, const std::vector<std::string>& targets);
  std::vector<RecordedRequest> Requests() const;
  std::size_t Count(const std::string& target) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::vector<RecordedRequest> requests_;
  std::map<std::string, std::size_t> counts_;
};

}  // namespace kanvio::shopsim
