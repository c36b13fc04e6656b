#include "platform/win32/ServerCertificate.h"

// clang-format off
#include <wincrypt.h>
// clang-format on

#include <memory>
#include <string>

#include "support/Text.h"

namespace kanvio::platform {
namespace {

using CertificateHandle = std::unique_ptr<const CERT_CONTEXT, decltype(&CertFreeCertificateContext)>;
using ChainHandle = std::unique_ptr<const CERT_CHAIN_CONTEXT, decltype(&CertFreeCertificateChain)>;

CertificateHandle ServerCertificate(HINTERNET request, const FailureContext& failure) {
  PCCERT_CONTEXT certificate = nullptr;
  DWORD size = sizeof certificate;
  if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) ||
      certificate == nullptr)
    ThrowUntrusted(failure, "Der Server hat kein Zertifikat vorgelegt (" + SystemText(GetLastError()) + ").");
  return CertificateHandle(certificate, &CertFreeCertificateContext);
}

ChainHandle ChainFor(const CERT_CONTEXT& certificate, const FailureContext& failure) {
  char server_auth[] = szOID_PKIX_KP_SERVER_AUTH;
  char* usages[] = {server_auth};
  CERT_CHAIN_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
  parameters.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, &certificate, nullptr, certificate.hCertStore, &parameters, 0,
                               nullptr, &chain))
    ThrowUntrusted(failure, SystemText(GetLastError()));
  return ChainHandle(chain, &CertFreeCertificateChain);
}

std::wstring NameToMatch(const HttpUrl& url) {
  std::string host = url.host;
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::u16string utf16 = text::Utf8ToUtf16(host);
  return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace

void VerifyServerCertificate(HINTERNET request, const HttpUrl& url, const FailureContext& failure) {
  const CertificateHandle certificate = ServerCertificate(request, failure);
  const ChainHandle chain = ChainFor(*certificate, failure);

  std::wstring server_name = NameToMatch(url);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = server_name.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status))
    ThrowUntrusted(failure, SystemText(GetLastError()));
  if (status.dwError != 0) ThrowUntrusted(failure, SystemText(status.dwError));
}

}  // namespace kanvio::platform
