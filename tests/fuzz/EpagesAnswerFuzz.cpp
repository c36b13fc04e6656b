// The ePages SOAP answers: the first byte picks the operation whose answer the
// rest is read as (and the HTTP status it came with), the answer then goes
// through the same readers, order conversion and product rules as in the
// connector: orders, customers and order states (0 to 5), the product
// services (6 to 14).
#include <cstdlib>
#include <map>

#include "FuzzSupport.h"
#include "net/SoapClient.h"
#include "shops/epages/CategoryServices.h"
#include "shops/epages/CustomerTypes.h"
#include "shops/epages/OrderConverter.h"
#include "shops/epages/OrderTypes.h"
#include "shops/epages/PriceListServices.h"
#include "shops/epages/ProductRules.h"
#include "shops/epages/ProductTypes.h"
#include "shops/epages/Status.h"
#include "support/Error.h"
#include "support/InvariantNumber.h"

namespace {

using namespace kanvio;
using namespace kanvio::epages;

class NoProducts : public ProductLookup {
 public:
  bool HasProductWithAlias(const std::string& alias) override { return !alias.empty(); }
  const ProductInfo* Product(const std::string& path) override {
    product_.Path = path;
    product_.Name = {{"de", path}};
    product_.DepositPrices = {{1.5f, "EUR", "gross"}};
    return &product_;
  }

 private:
  ProductInfo product_;
};

template <class Read>
void ReadAll(const net::SoapAnswer& answer, const char* part, Read read) {
  net::ForEachItem(answer.Part(part), [&](const pugi::xml_node& item) { read(item); });
}

void Read(std::uint8_t selector, std::string body) {
  const int status = selector & 0x80 ? 500 : 200;
  switch (selector & 0x7F) {
    case 0: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "find");
      ReadStrings(answer.Part("Orders"));
      break;
    }
    case 1: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "getInfo");
      NoProducts products;
      OrderConverter converter(products, true);
      OrderInfo reused;
      ReadAll(answer, "Orders", [&](const pugi::xml_node& item) {
        const OrderInfo order = ReadOrderInfo(item);
        // A record read again must read as a fresh one, whatever it held.
        ReadOrderInfo(item, reused);
        if (!(reused == order)) std::abort();
        if (order.LineItemContainer) converter.Convert(order, order.Customer);
      });
      break;
    }
    case 2: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "update");
      ReadAll(answer, "Orders", ReadOrderUpdateResult);
      break;
    }
    case 3: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "getInfo");
      ReadAll(answer, "Customers", ReadCustomerInfo);
      break;
    }
    case 4: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "getInfo");
      ReadAll(answer, "Products", ReadProductInfo);
      break;
    }
    case 6: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "create");
      ReadAll(answer, "Products", ReadProductResult);
      break;
    }
    case 7: {
      // A product as the article import writes it.
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "getInfo");
      ReadAll(answer, "Products", [](const pugi::xml_node& item) {
        const ProductInfo product = ReadProductInfo(item);
        TaxCodeOf(product.TaxClass);
        HostUnitOf(product.OrderUnit.value_or(""));
        WithoutTags(FirstValue(product.Description));
        VariationText(product.VariationAttributes);
        for (const ProductPrice& price : product.ProductPrices)
          if (price.Price) invariant::SingleRoundTrip(*price.Price);
      });
      break;
    }
    case 8: {
      // Product types, catalogs and price lists answer creations alike.
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "create");
      net::ForEachMember(answer.response(), [](std::string_view, const pugi::xml_node& part) {
        net::ForEachItem(part, ReadObjectResult);
      });
      break;
    }
    case 9: {
      const auto answer =
          net::SoapClient::ReadAnswer(std::move(body), status, "getCatalogsAssignedToProduct");
      ReadAll(answer, "Assignments", ReadProductCatalogs);
      break;
    }
    case 10: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "setScalePrices");
      ReadAll(answer, "Products", ReadScalePricesResult);
      break;
    }
    case 11: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "upload");
      ReadAll(answer, "Files", ReadError);
      break;
    }
    case 12: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "getRoot");
      ReadError(answer.Part("Root"));
      net::Text(answer.Part("Root"), "Path");
      break;
    }
    case 13: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "getInfo");
      ReadAll(answer, "Catalogs", ReadCatalogInfo);
      break;
    }
    case 14: {
      const auto answer = net::SoapClient::ReadAnswer(std::move(body), status, "assignProductToCatalog");
      ReadAll(answer, "Assignments", ReadCatalogAssignment);
      break;
    }
    default: {
      pugi::xml_document document;
      if (document.load_buffer(body.data(), body.size())) Status::ReadOrderStates(document);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  try {
    Read(data[0], std::string(kanvio::fuzz::AsText(data + 1, size - 1)));
  } catch (const kanvio::Error&) {
  }
  return 0;
}
