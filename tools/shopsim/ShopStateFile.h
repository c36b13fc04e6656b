#pragma once

#include <filesystem>
#include <mutex>

#include "EpagesProducts.h"
#include "ShopState.h"

namespace kanvio::shopsim {

// Writes a snapshot of the shop (orders with their fetched mark, articles
// with their fields, the order-state ids received; the ePages shop's
// products, product types, catalogs and price lists) to a file after every
// change, so that a demo can show what reached the shop. The file is written
// to a temporary name and renamed, so a reader never sees half of it.
class ShopStateFile {
 public:
  ShopStateFile(const ShopState& shop, const EpagesProducts& epages, std::filesystem::path path)
      : shop_(shop), epages_(epages), path_(std::move(path)) {}

  // Throws std::runtime_error when the file cannot be written.
  void Write();

 private:
  const ShopState& shop_;
  const EpagesProducts& epages_;
  const std::filesystem::path path_;
  std::mutex mutex_;  // one writer at a time; each takes the newest snapshot
};

}  // namespace kanvio::shopsim
