#pragma once

#include <string>

#include "platform/Crypto.h"

namespace kanvio {

// PBKDF1 with SHA-1, extended beyond one hash length by hashing a decimal
// counter in front of the base value, as the key routine's counterpart on the
// other side computes it. Successive GetBytes calls continue the stream with
// that implementation's quirk: when a request begins inside the previous
// block, the leftover bytes are taken from the position equal to their own
// count rather than from where the previous request stopped. Enciphered keys
// made with that behaviour only decipher if it is kept.
class PasswordDeriveBytes {
 public:
  PasswordDeriveBytes(std::string password, platform::Bytes salt, int iterations);
  platform::Bytes GetBytes(std::size_t count);

 private:
  platform::Bytes ComputeBlocks(std::size_t count);

  std::string password_;
  platform::Bytes salt_;
  int iterations_;
  platform::Bytes base_value_;
  platform::Bytes extra_;
  std::size_t extra_count_ = 0;
  int prefix_ = 0;
};

}  // namespace kanvio
