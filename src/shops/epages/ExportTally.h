#pragma once
// What an upload to the shop did with the records of a file or of one of its
// packages, and the result protocol that says so: SUCCESS only when every
// record went through, "successful" never above the total.

#include <cstddef>
#include <string>

#include "hostfiles/ResultProtocol.h"

namespace kanvio::epages {

struct ExportTally {
  std::size_t total = 0;
  std::size_t done = 0;    // created, updated, or already in the shop
  std::size_t failed = 0;  // refused by the shop, or not asked because a request failed
  std::string first_failure;

  void Fail(const std::string& what) {
    ++failed;
    if (first_failure.empty()) first_failure = what;
  }
  void Add(const ExportTally& other) {
    total += other.total;
    done += other.done;
    failed += other.failed;
    if (first_failure.empty()) first_failure = other.first_failure;
  }
  bool complete() const { return failed == 0 && done == total; }

  ExportProtocol Protocol() const {
    return {complete() ? "SUCCESS" : "ROLLBACK", std::to_string(total), std::to_string(done)};
  }
};

}  // namespace kanvio::epages
