#include "support/PasswordDeriveBytes.h"

#include <algorithm>

#include "support/Error.h"

namespace kanvio {

using platform::Bytes;

PasswordDeriveBytes::PasswordDeriveBytes(std::string password, Bytes salt, int iterations)
    : password_(std::move(password)), salt_(std::move(salt)), iterations_(iterations) {}

Bytes PasswordDeriveBytes::GetBytes(std::size_t count) {
  Bytes out(count);
  std::size_t taken = 0;
  if (base_value_.empty()) {
    Bytes seed = platform::ToBytes(password_);
    seed.insert(seed.end(), salt_.begin(), salt_.end());
    base_value_ = platform::Sha1(seed);
    for (int i = 1; i < iterations_ - 1; ++i) base_value_ = platform::Sha1(base_value_);
  } else if (!extra_.empty()) {
    const std::size_t left = extra_.size() - extra_count_;
    if (left >= count) {
      std::copy_n(extra_.begin() + static_cast<std::ptrdiff_t>(extra_count_), count, out.begin());
      if (left > count) extra_count_ += count;
      else extra_.clear();
      return out;
    }
    // The quirk: reads from offset `left`, not from extra_count_.
    std::copy_n(extra_.begin() + static_cast<std::ptrdiff_t>(left), left, out.begin());
    taken = left;
    extra_.clear();
  }
  Bytes blocks = ComputeBlocks(count - taken);
  std::copy_n(blocks.begin(), count - taken, out.begin() + static_cast<std::ptrdiff_t>(taken));
  if (blocks.size() + taken > count) {
    extra_ = std::move(blocks);
    extra_count_ = count - taken;
  }
  return out;
}

Bytes PasswordDeriveBytes::ComputeBlocks(std::size_t count) {
  Bytes out;
  do {
    if (prefix_ > 999) throw CryptoError("Zu viele Bytes aus dem Kennwort abgeleitet");
    Bytes input;
    if (prefix_ > 0) {
      const std::string digits = std::to_string(prefix_);
      input.assign(digits.begin(), digits.end());
    }
    ++prefix_;
    input.insert(input.end(), base_value_.begin(), base_value_.end());
    Bytes hash = platform::Sha1(input);
    out.insert(out.end(), hash.begin(), hash.end());
  } while (out.size() < count);
  return out;
}

}  // namespace kanvio
