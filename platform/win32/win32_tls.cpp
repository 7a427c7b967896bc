#include "platform/win32/win32_tls.h"

#define SECURITY_WIN32
#include <windows.h>
#include <bcrypt.h>
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The SSL policy's ignore flags (wininet's SECURITY_FLAG_* values, without
// pulling in wininet).
constexpr DWORD kIgnoreUnknownCa = 0x00000100;
constexpr DWORD kIgnoreNameMismatch = 0x00001000;
constexpr DWORD kIgnoreDates = 0x00002000;

// A server that accepts but never finishes the handshake is given up on.
constexpr DWORD kHandshakeLimitMs = 20000;
constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

bool SendAll(SOCKET handle, const char* bytes, size_t count) {
  while (count > 0) {
    const int n = send(handle, bytes, static_cast<int>(std::min<size_t>(count, 0x7FFFFFFF)), 0);
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

std::wstring Wide(const char* text) {
  std::wstring out;
  for (const char* p = text; *p; ++p) out.push_back(static_cast<unsigned char>(*p));
  return out;
}

// The address when text is a dotted IPv4 address.
bool ParseIpv4(const char* text, in_addr* address) { return InetPtonA(AF_INET, text, address) == 1; }

bool Sha256(const BYTE* data, DWORD length, BYTE digest[32]) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
            BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
            BCryptHashData(hash, const_cast<BYTE*>(data), length, 0) == 0 &&
            BCryptFinishHash(hash, digest, 32, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
  return ok;
}

bool PinMatches(PCCERT_CONTEXT cert, const uint8_t* pin) {
  BYTE* der = nullptr;
  DWORD length = 0;
  if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &cert->pCertInfo->SubjectPublicKeyInfo,
                           CRYPT_ENCODE_ALLOC_FLAG, nullptr, &der, &length)) {
    return false;
  }
  BYTE digest[32];
  const bool ok = Sha256(der, length, digest) && std::memcmp(digest, pin, 32) == 0;
  LocalFree(der);
  return ok;
}

// Whether the certificate lists the address among its alternative names.
bool NamesAddress(PCCERT_CONTEXT cert, const in_addr& address) {
  const CERT_EXTENSION* extension = CertFindExtension(szOID_SUBJECT_ALT_NAME2, cert->pCertInfo->cExtension,
                                                     cert->pCertInfo->rgExtension);
  if (!extension) return false;
  CERT_ALT_NAME_INFO* names = nullptr;
  DWORD size = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData, extension->Value.cbData,
                           CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size)) {
    return false;
  }
  bool found = false;
  for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
    found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == 4 &&
            std::memcmp(entry.IPAddress.pbData, &address, 4) == 0;
  }
  LocalFree(names);
  return found;
}

// The system's SSL policy on the chain, with ignore flags; an address is
// matched here, as the policy matches names only.
bool PolicyAccepts(PCCERT_CHAIN_CONTEXT chain, PCCERT_CONTEXT cert, const char* host, DWORD ignore) {
  in_addr address;
  const bool isAddress = ParseIpv4(host, &address);
  if (isAddress) {
    if (!NamesAddress(cert, address)) return false;
    ignore |= kIgnoreNameMismatch;
  }
  std::wstring name = Wide(host);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = ignore;
  ssl.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA para = {};
  para.cbSize = sizeof para;
  para.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &para, &status) && status.dwError == 0;
}

// The extra trusted certificate of SALVIND_SERVER_CA, read from its PEM file.
PCCERT_CONTEXT LoadPem(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  char text[16384];
  DWORD length = 0;
  const BOOL read = ReadFile(file, text, sizeof text - 1, &length, nullptr);
  CloseHandle(file);
  if (!read || length == 0) return nullptr;
  BYTE der[16384];
  DWORD derLength = sizeof der;
  if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der, &derLength, nullptr, nullptr)) {
    return nullptr;
  }
  return CertCreateCertificateContext(X509_ASN_ENCODING, der, derLength);
}

// The server's certificate against the name and the system's trust, the
// extra certificate, or the pin.
bool Proven(PCCERT_CONTEXT cert, const PlatformTlsCheck& check) {
  HCERTSTORE extra = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
  if (!extra) return false;
  CertAddStoreToCollection(extra, cert->hCertStore, 0, 0);
  PCCERT_CONTEXT ca = nullptr;
  HCERTSTORE caStore = nullptr;
  if (!check.pin && check.extraCaFile && *check.extraCaFile) {
    ca = LoadPem(check.extraCaFile);
    caStore = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    if (!ca || !caStore || !CertAddCertificateContextToStore(caStore, ca, CERT_STORE_ADD_ALWAYS, nullptr)) {
      if (ca) CertFreeCertificateContext(ca);
      if (caStore) CertCloseStore(caStore, 0);
      CertCloseStore(extra, 0);
      return false;
    }
    CertAddStoreToCollection(extra, caStore, 0, 0);
  }
  CERT_CHAIN_PARA chainPara = {};
  chainPara.cbSize = sizeof chainPara;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  bool ok = CertGetCertificateChain(nullptr, cert, nullptr, extra, &chainPara, 0, nullptr, &chain);
  if (ok && check.pin) {
    // The pin stands in for the chain and its dates; the name still counts.
    ok = PinMatches(cert, check.pin) &&
         PolicyAccepts(chain, cert, check.hostName,
                       kIgnoreUnknownCa | kIgnoreDates);
  } else if (ok) {
    ok = PolicyAccepts(chain, cert, check.hostName, 0);
    if (!ok && ca && chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
      // Not among the system's roots: trusted when the chain ends in the
      // extra certificate, with every other check as before.
      const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
      PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
      ok = CertCompareCertificate(X509_ASN_ENCODING, root->pCertInfo, ca->pCertInfo) &&
           PolicyAccepts(chain, cert, check.hostName, kIgnoreUnknownCa);
    }
  }
  if (chain) CertFreeCertificateChain(chain);
  if (ca) CertFreeCertificateContext(ca);
  if (caStore) CertCloseStore(caStore, 0);
  CertCloseStore(extra, 0);
  return ok;
}

}  // namespace

class Win32Tls {
 public:
  ~Win32Tls() {
    if (haveContext) DeleteSecurityContext(&context);
    if (haveCredentials) FreeCredentialsHandle(&credentials);
  }
  CredHandle credentials{};
  CtxtHandle context{};
  bool haveCredentials = false;
  bool haveContext = false;
  SecPkgContext_StreamSizes sizes{};
  std::vector<char> in;     // received, not yet decrypted
  std::vector<char> plain;  // decrypted, not yet read
  std::vector<char> out;    // encrypted, not yet sent
  bool ended = false;       // the closing alert, or a broken stream
};

namespace {

bool Handshake(Win32Tls& tls, SOCKET handle, const char* host) {
  SCHANNEL_CRED credentials = {};
  credentials.dwVersion = SCHANNEL_CRED_VERSION;
  // TLS 1.2: Schannel hands TLS 1.3's messages after the handshake (its
  // session tickets) back as a renegotiation, which this session does not do.
  credentials.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  TimeStamp expiry;
  if (AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                &credentials, nullptr, nullptr, &tls.credentials, &expiry) != SEC_E_OK) {
    return false;
  }
  tls.haveCredentials = true;
  in_addr address;
  // An address is no name to send as the server's name.
  char* target = ParseIpv4(host, &address) ? nullptr : const_cast<char*>(host);
  const DWORD limit = kHandshakeLimitMs;
  setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
  setsockopt(handle, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);

  SECURITY_STATUS status = SEC_I_CONTINUE_NEEDED;
  bool first = true;
  bool needMore = false;
  for (int round = 0; round < 64; ++round) {
    if (!first && (needMore || tls.in.empty())) {
      char chunk[16384];
      const int n = recv(handle, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      tls.in.insert(tls.in.end(), chunk, chunk + n);
    }
    SecBuffer inBuffers[2] = {{static_cast<unsigned long>(tls.in.size()), SECBUFFER_TOKEN, tls.in.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, inBuffers};
    SecBuffer outBuffer = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &outBuffer};
    unsigned long attributes = 0;
    status = InitializeSecurityContextA(&tls.credentials, first ? nullptr : &tls.context, target, kContextFlags, 0, 0,
                                        first ? nullptr : &inDesc, 0, first ? &tls.context : nullptr, &outDesc,
                                        &attributes, &expiry);
    if (first) tls.haveContext = true;
    first = false;
    if (outBuffer.cbBuffer > 0 && outBuffer.pvBuffer) {
      const bool sent = SendAll(handle, static_cast<const char*>(outBuffer.pvBuffer), outBuffer.cbBuffer);
      FreeContextBuffer(outBuffer.pvBuffer);
      if (!sent) return false;
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      needMore = true;
      continue;
    }
    needMore = false;
    // What the server sent beyond this step stays for the next one.
    if (inBuffers[1].BufferType == SECBUFFER_EXTRA && inBuffers[1].cbBuffer > 0) {
      tls.in.erase(tls.in.begin(), tls.in.end() - inBuffers[1].cbBuffer);
    } else {
      tls.in.clear();
    }
    if (status == SEC_E_OK) break;
    if (status != SEC_I_CONTINUE_NEEDED) return false;
  }
  if (status != SEC_E_OK) return false;
  const DWORD none = 0;
  setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&none), sizeof none);
  setsockopt(handle, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&none), sizeof none);
  return QueryContextAttributesA(&tls.context, SECPKG_ATTR_STREAM_SIZES, &tls.sizes) == SEC_E_OK;
}

// Decrypts every whole record in the input.
void Decrypt(Win32Tls& tls) {
  while (!tls.ended && !tls.in.empty()) {
    SecBuffer buffers[4] = {{static_cast<unsigned long>(tls.in.size()), SECBUFFER_DATA, tls.in.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = DecryptMessage(&tls.context, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return;
    if (status != SEC_E_OK) {
      // The closing alert, a renegotiation we do not do, or a broken record.
      tls.ended = true;
      return;
    }
    size_t extra = 0;
    for (const SecBuffer& b : buffers) {
      if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0) {
        const char* data = static_cast<const char*>(b.pvBuffer);
        tls.plain.insert(tls.plain.end(), data, data + b.cbBuffer);
      }
      if (b.BufferType == SECBUFFER_EXTRA) extra = b.cbBuffer;
    }
    tls.in.erase(tls.in.begin(), tls.in.end() - static_cast<std::ptrdiff_t>(extra));
  }
}

// Sends what waits encrypted; false when the socket broke.
bool FlushOut(Win32Tls& tls, SOCKET handle) {
  while (!tls.out.empty()) {
    const int n = send(handle, tls.out.data(), static_cast<int>(tls.out.size()), 0);
    if (n > 0) {
      tls.out.erase(tls.out.begin(), tls.out.begin() + n);
      continue;
    }
    return n < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
  }
  return true;
}

}  // namespace

Win32TlsSession Win32TlsHandshake(SOCKET handle, const PlatformTlsCheck& check) {
  if (!check.hostName || !*check.hostName) return nullptr;
  Win32TlsSession tls(new Win32Tls);
  if (!Handshake(*tls, handle, check.hostName)) return nullptr;
  PCCERT_CONTEXT cert = nullptr;
  if (QueryContextAttributesA(&tls->context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &cert) != SEC_E_OK || !cert) {
    return nullptr;
  }
  const bool proven = Proven(cert, check);
  CertFreeCertificateContext(cert);
  if (!proven) return nullptr;
  return tls;
}

Win32TlsState Win32TlsReadable(Win32Tls& tls, SOCKET handle) {
  if (!tls.plain.empty()) return Win32TlsState::kData;
  while (!tls.ended) {
    char chunk[16384];
    const int n = recv(handle, chunk, sizeof chunk, 0);
    if (n > 0) {
      tls.in.insert(tls.in.end(), chunk, chunk + n);
      Decrypt(tls);
      if (!tls.plain.empty()) return Win32TlsState::kData;
      continue;
    }
    if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return Win32TlsState::kNothing;
    tls.ended = true;
  }
  return tls.plain.empty() ? Win32TlsState::kEnd : Win32TlsState::kData;
}

int32_t Win32TlsRead(Win32Tls& tls, SOCKET handle, void* buffer, uint32_t count) {
  if (count == 0) return 0;
  if (tls.plain.empty()) {
    const Win32TlsState state = Win32TlsReadable(tls, handle);
    if (state == Win32TlsState::kNothing) return 0;
    if (state == Win32TlsState::kEnd) return -1;
  }
  const size_t n = std::min<size_t>(count, tls.plain.size());
  std::memcpy(buffer, tls.plain.data(), n);
  tls.plain.erase(tls.plain.begin(), tls.plain.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<int32_t>(n);
}

int32_t Win32TlsWrite(Win32Tls& tls, SOCKET handle, const void* bytes, uint32_t count) {
  if (count == 0) return 0;
  // A record still on its way goes first; bytes are taken only once it left.
  if (!FlushOut(tls, handle)) return -1;
  if (!tls.out.empty()) return 0;
  const uint32_t take = std::min<uint32_t>(count, tls.sizes.cbMaximumMessage);
  std::vector<char> record(tls.sizes.cbHeader + take + tls.sizes.cbTrailer);
  std::memcpy(record.data() + tls.sizes.cbHeader, bytes, take);
  SecBuffer buffers[4] = {{tls.sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                          {take, SECBUFFER_DATA, record.data() + tls.sizes.cbHeader},
                          {tls.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + tls.sizes.cbHeader + take},
                          {0, SECBUFFER_EMPTY, nullptr}};
  SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
  if (EncryptMessage(&tls.context, 0, &desc, 0) != SEC_E_OK) return -1;
  const size_t length = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
  tls.out.assign(record.data(), record.data() + length);
  // The record is ours to send now, whole or later: its bytes count as taken.
  if (!FlushOut(tls, handle)) return -1;
  return static_cast<int32_t>(take);
}

bool Win32TlsFlush(Win32Tls& tls, SOCKET handle) { return FlushOut(tls, handle); }

void Win32TlsFree(Win32Tls* tls) { delete tls; }
