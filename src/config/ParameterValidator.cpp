#include "config/ParameterValidator.h"

#include "config/Logger.h"
#include "config/Settings.h"
#include "platform/Crypto.h"
#include "support/DeploymentDefaults.h"
#include "support/Error.h"
#include "support/KeyRoutine.h"

namespace kanvio {

bool ParameterValidator::IsValidShopUrl(const std::string&) { return true; }

std::string ParameterValidator::decryptString(std::string_view enciphered) {
  try {
    return DecipherWithKeyRoutine(enciphered, KANVIO_KEYROUTINE_PASSPHRASE,
                                  platform::ToBytes(KANVIO_KEYROUTINE_SALT));
  } catch (const CryptoError& e) {
    Logger::LogError(e);
    throw Error(std::string("Ein eingebauter Schlüssel konnte nicht entschlüsselt werden: ") + e.what());
  }
}

std::string ParameterValidator::CalcKey(std::string_view enciphered) { return decryptString(enciphered); }

void ParameterValidator::Calculatekey() {
  Settings settings;
  settings.set_amazon_secrectAccessKey(decryptString(settings.amazon_validationkey()));
  settings.Save();
}

}  // namespace kanvio
