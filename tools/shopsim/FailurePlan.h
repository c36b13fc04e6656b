#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Failure.h"

namespace kanvio::shopsim {

// The failures switched on, per target. A target names a script ("orders",
// "val", "sync", "del") or narrows one ("sync:lqx_to_shop",
// "val:daten_holen"); "rest" names every REST plug-in request, narrowed by
// endpoint ("rest:getOpenOrders") and for article pages by offset
// ("rest:getArticles:offset=50"). Every member may be called from any thread.
class FailurePlan {
 public:
  void Set(const std::string& target, Failure failure);
  // Reads the command line form "TARGET=FAILURE" (see Failure::Parse) and
  // sets it; false, and nothing set, when it cannot be read. A target may
  // hold "=" itself ("rest:getArticles:offset=50=500").
  bool SetFromSwitch(std::string_view text);
  void Clear(const std::string& target);
  void ClearAll();
  // The failure of the first target in `targets` that has one.
  std::optional<Failure> Find(const std::vector<std::string>& targets) const;
  // As Find, for a request it then hits: a failure for N requests counts one down.
  std::optional<Failure> Consume(const std::vector<std::string>& targets);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Failure> failures_;  // protected by mutex_
};

}  // namespace kanvio::shopsim
