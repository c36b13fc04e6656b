#pragma once

#include <string>

// Pieces of the requests that every shop family makes alike.
namespace kanvio {

// The failure text of an answer whose HTTP status the connector cannot use.
std::string HttpStatusMessage(int status);

// An order number as part of a shop address. Letters, digits, "-", "_" and
// "." stay as they are (the usual order number, byte for byte); every other
// byte is percent-encoded, so that the shop receives exactly the order number
// and not a split query or another path.
std::string EncodeOrderNumber(const std::string& order_number);

}  // namespace kanvio
