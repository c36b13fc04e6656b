// The PHP scripts' answers, through the connector's operations: the first
// byte picks the operation (and whether a password enciphers the pages and
// whether uploads go in packages), the rest holds the answers in the order
// the requests are made, separated by "|||", each led by a byte that picks
// its status (200, 500, 501, 404).
#include "FuzzShop.h"
#include "ScriptedHttpClient.h"
#include "shops/php/PHPFileConnector.h"

namespace {

using namespace kanvio;
using fuzz::ScriptedHttpClient;

void Run(std::uint8_t operation, PHPFileConnector& php, std::string& error) {
  fuzz::SilentWorker worker;
  std::int32_t result = 0;
  switch (operation % 11) {
    case 0:
      result = php.Check_Con(error);
      fuzz::Check(result >= -2 && result <= 1);
      break;
    case 1:
      result = php.Check_Function("daten_holen", error, true);
      fuzz::Check(result >= -2 && result <= 1);
      break;
    case 2:
      result = php.GET_ORDERS_FROM_PHP_FILE(error);
      break;
    case 3:
      result = php.GET_ARTICLES_FROM_PHP_FILE(error, true, false);
      break;
    case 4:
      result = php.GET_ARTICLELIST_FROM_SHOP(true);
      break;
    case 5:
      fuzz::WriteUploadFile("Artikelexport", "row");
      result = php.SEND_ARTICLES_TO_PHP_FILE(error, &worker, true);
      fuzz::CheckHostFileReadable();
      break;
    case 6:
      fuzz::WriteUploadFile("Artikelpreisexport", "row");
      result = php.SEND_ARTICLEPRICES_TO_SHOP(error, &worker, true);
      fuzz::CheckHostFileReadable();
      break;
    case 7:
      fuzz::WriteUploadFile("LagerbestandExport", "Artikel");
      result = php.SEND_STOCKVALUES_TO_SHOP(error, true);
      fuzz::CheckHostFileReadable();
      break;
    case 8:
      fuzz::WriteOrderList();
      result = php.SEND_ORDER_STATUS(error);
      break;
    case 9:
      result = php.CHECK_AMOUNT_OPEN_ORDERS(error);
      fuzz::Check(result >= -1);
      return;
    default:
      php.GET_PAGING_INFOS(error);
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
  setup.Use("ledgrox", "gambio", selector & 0x40, !(selector & 0x80));
  std::error_code ignored;
  std::filesystem::remove(fuzz::HostFile(), ignored);
  auto script = ScriptedHttpClient::MakeScript(fuzz::Parts(fuzz::AsText(data + 1, size - 1)));
  PHPFileConnector php(ScriptedHttpClient::Factory(script));
  std::string error;
  try {
    Run(selector & 0x3F, php, error);
  } catch (const Error&) {
    // The paging answer and the order list fail to the caller, as the worker expects.
  } catch (const fuzz::RequestBudgetSpent&) {
  }
  fuzz::CheckErrorText(error);
  return 0;
}
