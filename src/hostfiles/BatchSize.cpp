#include "hostfiles/BatchSize.h"

#include <fmt/format.h>

#include "config/ConfigFileReader.h"
#include "support/Error.h"

namespace kanvio {

void CheckBatchSize(int amount) {
  if (amount < 1)
    throw Error(fmt::format(
        "Die Paketgröße (PackageSplittingAmount) muss mindestens 1 sein, eingestellt ist {}.", amount));
}

int ConfiguredBatchSize() {
  return ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount");
}

}  // namespace kanvio
