#pragma once

#include <cstdint>
#include <string>

namespace kanvio {

// What a connector sees of the worker that created it: the progress window
// of the running operation. Both calls may come from any thread; they only
// queue the change and return at once.
class IWorker {
 public:
  virtual ~IWorker() = default;

  // Shows msg; when 0 <= value <= the bar's maximum, also moves the bar to
  // value. Pass -1 to change only the text.
  virtual void setUserStatusMessage(const std::string& msg, std::int32_t value) = 0;
  // Switches the bar from marquee to a continuous bar with this maximum.
  virtual void SetMaxValue(std::int32_t value) = 0;
};

}  // namespace kanvio
