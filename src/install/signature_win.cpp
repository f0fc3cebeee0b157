// The publisher check with the system's own cryptography: CNG (BCrypt) for
// the digests, CryptoAPI's message functions for the PKCS#7 SignedData.
//
// WinVerifyTrust is not used: it decides by the machine's root store and
// its policy (a certificate chaining to any trusted root passes, a
// self-made publisher root fails), while the installer's trust rests on
// the pinned key alone. The message functions give exactly the pieces the
// pin needs: the signer's certificate and whether its signature over the
// signed content verifies.
#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <ctime>
#include <vector>

#include "signature.h"
#include "utils/utf8.h"

namespace Install {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
const char kRfc3161TimeStamp[] = "1.3.6.1.4.1.311.3.3.1";
const char kSha256Oid[] = "2.16.840.1.101.3.4.2.1";
// 1601-01-01 to 1970-01-01 in 100-nanosecond units.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;

int64_t SecondsOf(const FILETIME& t) {
  const int64_t ticks = (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (ticks - kUnixEpochTicks) / 10000000;
}

std::string Sha256(const void* p, size_t n) {
  return Sha256Ranges(static_cast<const uint8_t*>(p), {{0, n}});
}

bool Param(HCRYPTMSG msg, DWORD type, DWORD index, std::vector<BYTE>* out) {
  DWORD size = 0;
  if (!CryptMsgGetParam(msg, type, index, nullptr, &size)) return false;
  out->resize(size);
  if (!CryptMsgGetParam(msg, type, index, out->data(), &size)) return false;
  out->resize(size);
  return true;
}

// A decoded message with one signer, its certificate from the message's
// own certificates, and whether that signer's signature verifies.
struct Message {
  HCRYPTMSG msg = nullptr;
  HCERTSTORE store = nullptr;
  PCCERT_CONTEXT cert = nullptr;
  bool signatureValid = false;
  std::string contentType;
  std::string content;

  ~Message() {
    if (cert) CertFreeCertificateContext(cert);
    if (store) CertCloseStore(store, 0);
    if (msg) CryptMsgClose(msg);
  }

  bool Open(const BYTE* data, size_t size) {
    msg = CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr);
    if (msg == nullptr || !CryptMsgUpdate(msg, data, static_cast<DWORD>(size), TRUE)) return false;
    DWORD count = 0, countSize = sizeof count;
    if (!CryptMsgGetParam(msg, CMSG_SIGNER_COUNT_PARAM, 0, &count, &countSize) || count != 1) return false;
    std::vector<BYTE> bytes;
    if (!Param(msg, CMSG_INNER_CONTENT_TYPE_PARAM, 0, &bytes)) return false;
    contentType.assign(reinterpret_cast<const char*>(bytes.data()));
    if (!Param(msg, CMSG_CONTENT_PARAM, 0, &bytes)) return false;
    content.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!Param(msg, CMSG_SIGNER_CERT_INFO_PARAM, 0, &bytes)) return false;
    store = CertOpenStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, msg);
    if (store == nullptr) return false;
    cert = CertGetSubjectCertificateFromStore(store, kEncoding, reinterpret_cast<PCERT_INFO>(bytes.data()));
    if (cert == nullptr) return false;
    signatureValid = CryptMsgControl(msg, 0, CMSG_CTRL_VERIFY_SIGNATURE, cert->pCertInfo) != FALSE;
    return true;
  }
};

// The content as a whole DER element: the system hands out either the
// SEQUENCE or only its value, depending on its version.
std::string WholeSequence(const std::string& content) {
  const size_t n = content.size();
  if (n >= 2 && static_cast<uint8_t>(content[0]) == 0x30) {
    const uint8_t l = static_cast<uint8_t>(content[1]);
    size_t header = 2, length = l;
    if (l & 0x80) {
      length = 0;
      header = 2 + (l & 0x7f);
      for (size_t i = 2; i < header && i < n; ++i) length = (length << 8) | static_cast<uint8_t>(content[i]);
    }
    if (header <= n && header + length == n) return content;
  }
  std::string whole(1, '\x30');
  if (n < 0x80) {
    whole.push_back(static_cast<char>(n));
  } else {
    std::string digits;
    for (size_t v = n; v; v >>= 8) digits.insert(digits.begin(), static_cast<char>(v & 0xff));
    whole.push_back(static_cast<char>(0x80 | digits.size()));
    whole += digits;
  }
  return whole + content;
}

// The content of a time stamp token may come wrapped in its OCTET STRING.
std::string Unwrapped(const std::string& content) {
  if (content.size() >= 2 && static_cast<uint8_t>(content[0]) == 0x04) {
    const uint8_t l = static_cast<uint8_t>(content[1]);
    const size_t header = (l & 0x80) ? 2 + (l & 0x7f) : 2;
    if (header < content.size() && static_cast<uint8_t>(content[header]) == 0x30) return content.substr(header);
  }
  return content;
}

bool TimeStampTime(HCRYPTMSG msg, int64_t* when) {
  std::vector<BYTE> bytes, signerBytes;
  if (!Param(msg, CMSG_SIGNER_UNAUTH_ATTR_PARAM, 0, &bytes)) return false;
  if (!Param(msg, CMSG_SIGNER_INFO_PARAM, 0, &signerBytes)) return false;
  // No attributes may come back as nothing at all.
  if (bytes.size() < sizeof(CRYPT_ATTRIBUTES) || signerBytes.size() < sizeof(CMSG_SIGNER_INFO)) return false;
  const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerBytes.data());
  const std::string expected = Sha256(signer->EncryptedHash.pbData, signer->EncryptedHash.cbData);
  const auto* attributes = reinterpret_cast<const CRYPT_ATTRIBUTES*>(bytes.data());
  for (DWORD i = 0; i < attributes->cAttr; ++i) {
    const CRYPT_ATTRIBUTE& a = attributes->rgAttr[i];
    if (a.pszObjId == nullptr || std::string(a.pszObjId) != kRfc3161TimeStamp || a.cValue < 1) continue;
    Message token;
    if (!token.Open(a.rgValue[0].pbData, a.rgValue[0].cbData) || !token.signatureValid) continue;
    std::string algorithm, imprint;
    int64_t time = 0;
    if (ParseTimeStampInfo(Unwrapped(token.content), &algorithm, &imprint, &time) && algorithm == kSha256Oid &&
        imprint == expected) {
      *when = time;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string Sha256Ranges(const uint8_t* data, const std::vector<ByteRange>& ranges) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  UCHAR digest[32];
  bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
            BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  for (const ByteRange& r : ranges) {
    size_t done = 0;
    while (ok && done < r.length) {
      const ULONG piece = r.length - done > 0x40000000 ? 0x40000000 : static_cast<ULONG>(r.length - done);
      ok = BCryptHashData(hash, const_cast<PUCHAR>(data + r.offset + done), piece, 0) == 0;
      done += piece;
    }
  }
  ok = ok && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
  return ok ? std::string(reinterpret_cast<char*>(digest), sizeof digest) : std::string();
}

bool ReadSignedData(const std::string& signedData, SignedDataFacts* facts) {
  Message m;
  if (!m.Open(reinterpret_cast<const BYTE*>(signedData.data()), signedData.size())) return false;
  facts->contentType = m.contentType;
  facts->content = WholeSequence(m.content);
  facts->signatureValid = m.signatureValid;
  const std::string key = SubjectPublicKeyInfoOf(
      std::string(reinterpret_cast<const char*>(m.cert->pbCertEncoded), m.cert->cbCertEncoded));
  if (key.empty()) return false;
  facts->keySha256 = Sha256(key.data(), key.size());
  wchar_t name[512];
  if (CertNameToStrW(X509_ASN_ENCODING, &m.cert->pCertInfo->Subject, CERT_X500_NAME_STR,
                     name, 512) > 1) {
    facts->signer = Utils::WideToUtf8(name);
  }
  facts->notBefore = SecondsOf(m.cert->pCertInfo->NotBefore);
  facts->notAfter = SecondsOf(m.cert->pCertInfo->NotAfter);
  facts->timestamped = TimeStampTime(m.msg, &facts->signingTime);
  facts->parsed = true;
  return true;
}

int64_t SecondsNow() { return static_cast<int64_t>(std::time(nullptr)); }

// Read sharing only: nobody can write, rename or delete the file while it
// is held, and the process is created from that same path.
struct HeldPackage::State {
  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE mapping = nullptr;
  const uint8_t* data = nullptr;
  size_t size = 0;
};

HeldPackage::HeldPackage() : state_(new State) {}
HeldPackage::~HeldPackage() { Close(); }

bool HeldPackage::Open(const std::wstring& path) {
  Close();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  state_->file = file;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > static_cast<size_t>(-1)) {
    Close();
    return false;
  }
  state_->size = static_cast<size_t>(size.QuadPart);
  if (state_->size == 0) return true;
  state_->mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  state_->data = state_->mapping
                     ? static_cast<const uint8_t*>(MapViewOfFile(state_->mapping, FILE_MAP_READ, 0, 0, 0))
                     : nullptr;
  if (state_->data == nullptr) {
    Close();
    return false;
  }
  return true;
}

const uint8_t* HeldPackage::Data() const { return state_->data; }
size_t HeldPackage::Size() const { return state_->size; }
std::intptr_t HeldPackage::ExecutableHandle() const { return -1; }

void HeldPackage::Close() {
  if (state_->data) UnmapViewOfFile(state_->data);
  if (state_->mapping) CloseHandle(state_->mapping);
  if (state_->file != INVALID_HANDLE_VALUE) CloseHandle(state_->file);
  state_->data = nullptr;
  state_->mapping = nullptr;
  state_->file = INVALID_HANDLE_VALUE;
  state_->size = 0;
}

}  // namespace Install
