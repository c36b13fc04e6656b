#include "shops/epages/ProductImageService.h"

#include "net/SoapAnswer.h"
#include "shops/epages/EpagesTypes.h"
#include "shops/epages/ServiceClients.h"

namespace kanvio::epages {

ProductImageService::ProductImageService(const Settings& settings, const platform::HttpClientFactory& http)
    : stub_(StubEndpoint(settings, std::chrono::milliseconds(100'000)), http) {}

std::optional<std::string> ProductImageService::Upload(const std::string& product_path,
                                                       const std::string& file_name,
                                                       const platform::Bytes& content) {
  net::SoapWriter parameters;
  parameters.DeclareNamespace("pit", std::string(kProductImageService.types_urn));
  parameters.String("TObjectPath", product_path);
  parameters.BeginStruct("ImageData", "pit:TUpload_Input");
  parameters.BeginArray("ImageData", "pit:TImageData", 1);
  parameters.BeginStruct("item", "pit:TImageData");
  parameters.String("FileName", file_name);
  parameters.Base64Binary("Content", content);
  parameters.EndStruct();
  parameters.EndArray();
  parameters.String("ImagesSlideShowString", file_name);
  parameters.EndStruct();
  const auto answer = stub_.Call(kProductImageService.urn, "upload", parameters);
  std::optional<std::string> error;
  bool answered = false;
  net::ForEachItem(answer.Part("Files"), [&](const pugi::xml_node& file) {
    answered = true;
    if (!error) error = ReadError(file);
  });
  if (!answered) return "Keine Antwort des Shops";
  return error;
}

}  // namespace kanvio::epages
