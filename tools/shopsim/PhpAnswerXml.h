#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ShopRecords.h"
#include "UploadApplier.h"

namespace kanvio::shopsim {

// The documents the PHP scripts answer with, as UTF-8 text with declaration.
class PhpAnswerXml {
 public:
  // Root "OrderNotification", one "Bestellvorgang" per order.
  static std::string Orders(const std::vector<ShopOrder>& orders);
  // Root "Artikelimport", one "row" per article. A page that is enciphered
  // goes on one line: deciphering joins the lines of the plain text.
  static std::string ArticleImport(const std::vector<ShopArticle>& articles, bool one_line = false);
  // Root "ArtikelListeWebshop", one "row" per article.
  static std::string ArticleList(const std::vector<ShopArticle>& articles);
  static std::string PagingInformation(std::size_t article_count);
  static std::string ExportProtocol(const UploadOutcome& outcome);
};

}  // namespace kanvio::shopsim
