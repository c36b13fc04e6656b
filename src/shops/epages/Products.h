#pragma once
// The product side of the ePages connector: the article export, list prices,
// price lists, stock values, the article list and the article import. Each
// operation reads or writes the host file named by WEBSERVICE_RESULT_FILEPATH,
// makes its own service stubs and releases them at its end. error comes in
// with the caller's text and goes out with the operation's; a result of -1
// always leaves a text.

#include <cstdint>
#include <string>

#include "platform/HttpClient.h"
#include "shops/IWorker.h"

namespace kanvio::epages {

class Products {
 public:
  // Creates the articles of the article export file that the shop lacks and
  // appends one result protocol per package (one for the file without
  // packages). 1: every article created or already there; 0: no article in
  // the file; -1: an article failed or the export stopped; -2: the file
  // could not be read as an article export.
  static std::int32_t SetArticles(std::string& error, IWorker* worker,
                                  const platform::HttpClientFactory& http);
  // Sets the list prices of the articles the shop has. 1: all updated; 0: no
  // article in the file; -1: an article was not found or not updated, or a
  // failure; -2: the file could not be read.
  static std::int32_t SetArticlePrices(std::string& error, IWorker* worker,
                                       const platform::HttpClientFactory& http);
  // Creates or updates the price lists and sets their scale prices. 1: every
  // list and price went through; 0: no price list in the file; -1 otherwise.
  static std::int32_t SetPriceLists(std::string& error, IWorker* worker,
                                    const platform::HttpClientFactory& http);
  // Sets stock levels and alert levels. 1: all updated; 0: no stock record;
  // -1 otherwise.
  static std::int32_t UpdateStock(std::string& error, IWorker* worker,
                                  const platform::HttpClientFactory& http);
  // Writes the shop's article numbers and names, or its articles, to the
  // file; a failure leaves the file as it was. 1: written; -1: failure.
  static std::int32_t GetWebshopArticleList(std::string& error, IWorker* worker,
                                            const platform::HttpClientFactory& http);
  static std::int32_t GetArticles(std::string& error, IWorker* worker,
                                  const platform::HttpClientFactory& http);
};

}  // namespace kanvio::epages
