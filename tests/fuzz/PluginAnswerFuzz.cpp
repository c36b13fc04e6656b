// The REST plug-ins' answers, through the connectors' operations: the first
// byte picks the operation and the plug-in (and whether a password enciphers
// the pages and whether uploads go in packages), the rest holds the answers
// in request order, separated by "|||", each led by a byte that picks its
// status (200, 500, 501, 404).
#include "FuzzShop.h"
#include "ScriptedHttpClient.h"
#include "shops/rest/magento2.h"
#include "shops/rest/shopware4.h"

namespace {

using namespace kanvio;
using fuzz::ScriptedHttpClient;

void Run(std::uint8_t operation, IShop& shop, std::string& error) {
  std::int32_t result = 0;
  switch (operation % 9) {
    case 0:
      result = shop.KontrolliereVerbindungZumShop(error, false);
      break;
    case 1:
      result = shop.HoleBestellungenVomShop(error, false);
      break;
    case 2:
      result = shop.HoleArtikellisteVomShop(error, false);
      break;
    case 3:
      result = shop.HoleArtikelVomShop(error, false);
      break;
    case 4:
      fuzz::WriteUploadFile("Artikelexport", "row");
      result = shop.ExportArtikelZumShop(error, false);
      fuzz::CheckHostFileReadable();
      break;
    case 5:
      fuzz::WriteUploadFile("LagerbestandExport", "Artikel");
      result = shop.SetzeLagerbestand(error, false);
      fuzz::CheckHostFileReadable();
      break;
    case 6:
      fuzz::WriteUploadFile("Artikelpreisexport", "row");
      result = shop.SetzeArtikelPreise(error, false);
      fuzz::CheckHostFileReadable();
      break;
    case 7:
      fuzz::WriteOrderList();
      result = shop.SetzeBestellstatus(error, false);
      break;
    default:
      fuzz::Check(shop.SucheAnzahlOffeneBestellungenImShop() >= -1);
      return;
  }
  fuzz::Check(result >= -2 && result <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseOwnHost();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static fuzz::ShopSetup setup;
  const std::uint8_t selector = data[0];
  const bool magento = selector & 0x20;
  setup.Use("ledgrox", magento ? "magento2" : "shopware4", selector & 0x40, !(selector & 0x80));
  std::error_code ignored;
  std::filesystem::remove(fuzz::HostFile(), ignored);
  std::filesystem::remove(std::filesystem::path(fuzz::HostFile()).replace_extension(".error"), ignored);
  auto script = ScriptedHttpClient::MakeScript(fuzz::Parts(fuzz::AsText(data + 1, size - 1)));
  fuzz::SilentWorker worker;
  std::unique_ptr<IShop> shop;
  if (magento)
    shop = std::make_unique<magento2>(&worker, ScriptedHttpClient::Factory(script));
  else
    shop = std::make_unique<shopware4>(&worker, ScriptedHttpClient::Factory(script));
  std::string error;
  try {
    Run(selector & 0x1F, *shop, error);
  } catch (const Error&) {
    // A failed article upload and an unreadable order list go to the caller.
  } catch (const fuzz::RequestBudgetSpent&) {
  }
  fuzz::CheckErrorText(error);
  return 0;
}
