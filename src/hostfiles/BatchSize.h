#pragma once
// The size of the batches and packages that uploads are cut into.

namespace kanvio {

// Throws Error unless amount can cut anything (at least 1).
void CheckBatchSize(int amount);

// PackageSplittingAmount of the shop configuration file (10 when missing or unreadable).
int ConfiguredBatchSize();

}  // namespace kanvio
