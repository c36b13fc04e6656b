#pragma once
// A connector whose answers a test scripts: the result, the error text and
// whether it throws, per operation. It records every call.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "shops/IAmazonShop.h"
#include "shops/IShop.h"
#include "shops/IWorker.h"
#include "shops/ShopCaller.h"
#include "support/Error.h"

namespace kanvio::test {

struct ShopScript {
  std::map<std::string, std::int32_t> results;  // by operation name; 1 when absent
  std::map<std::string, std::string> texts;     // error text an operation sets
  std::set<std::string> throws;                 // operations that raise after setting their text
  std::function<void(IWorker&)> during;         // runs inside every operation (progress reports)
  std::vector<std::string> calls;               // "Operation" or "Operation check"
  std::vector<std::string> order_ids;           // orderID of SetzeBestellstatusVonOrderID

  std::int32_t Answer(IWorker& worker, const std::string& operation, bool check, std::string& error) {
    calls.push_back(check ? operation + " check" : operation);
    if (during) during(worker);
    if (auto text = texts.find(operation); text != texts.end()) error = text->second;
    if (throws.count(operation)) throw Error(operation + " ist fehlgeschlagen");
    auto result = results.find(operation);
    return result == results.end() ? 1 : result->second;
  }
};

template <class Base>
class Scripted : public Base {
 public:
  Scripted(IWorker& worker, ShopScript& script) : worker_(worker), script_(script) {}

#define KANVIO_SCRIPTED(op) \
  std::int32_t op(std::string& error, bool funcCheck) override { return Answer(#op, funcCheck, error); }
  KANVIO_SCRIPTED(HoleBestellungenVomShop)
  KANVIO_SCRIPTED(HoleArtikellisteVomShop)
  KANVIO_SCRIPTED(HoleArtikelVomShop)
  KANVIO_SCRIPTED(KontrolliereVerbindungZumShop)
  KANVIO_SCRIPTED(ExportArtikelZumShop)
  KANVIO_SCRIPTED(SetzeBestellstatus)
  KANVIO_SCRIPTED(SetzeLagerbestand)
  KANVIO_SCRIPTED(SetzeArtikelPreise)
  KANVIO_SCRIPTED(ExportierePreisListenzuArtikel)
#undef KANVIO_SCRIPTED

  std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID,
                                            bool funcCheck) override {
    script_.order_ids.push_back(orderID);
    return Answer("SetzeBestellstatusVonOrderID", funcCheck, error);
  }
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override {
    std::string ignored;
    return Answer("SucheAnzahlOffeneBestellungenImShop", false, ignored);
  }

 protected:
  std::int32_t Answer(const std::string& operation, bool check, std::string& error) {
    return script_.Answer(worker_, operation, check, error);
  }

 private:
  IWorker& worker_;
  ShopScript& script_;
};

using FakeShop = Scripted<IShop>;

class FakeEbayShop : public Scripted<IShop> {
 public:
  using Scripted::Scripted;
  Marketplace marketplace() const override { return Marketplace::kEbay; }
};

class FakeAmazonShop : public Scripted<IAmazonShop> {
 public:
  using Scripted::Scripted;
  std::int32_t AktiviereAutoReportErzeugung(std::string& error, bool funcCheck) override {
    return Answer("AktiviereAutoReportErzeugung", funcCheck, error);
  }
  std::int32_t AktiviereAutoFbaReportErzeugung(std::string& error, bool funcCheck) override {
    return Answer("AktiviereAutoFbaReportErzeugung", funcCheck, error);
  }
  std::int32_t HoleBerichteVonAmazon(std::string& error) override {
    return Answer("HoleBerichteVonAmazon", false, error);
  }
};

// Registers a scripted connector family under key for the lifetime of the
// object; a family registered there before comes back afterwards.
template <class Shop>
class ScopedFamily {
 public:
  ScopedFamily(std::string key, ShopScript& script) : key_(std::move(key)) {
    previous_ = ShopCaller::Register(
        key_, [&script](IWorker& worker) { return std::make_unique<Shop>(worker, script); });
  }
  ~ScopedFamily() {
    if (previous_)
      ShopCaller::Register(key_, std::move(previous_));
    else
      ShopCaller::Unregister(key_);
  }
  ScopedFamily(const ScopedFamily&) = delete;
  ScopedFamily& operator=(const ScopedFamily&) = delete;

 private:
  std::string key_;
  ShopCaller::Factory previous_;
};

}  // namespace kanvio::test
