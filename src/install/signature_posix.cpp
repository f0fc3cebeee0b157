#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/sha.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <cerrno>
#include <ctime>

#include "signature.h"
#include "utils/utf8.h"

namespace Install {
namespace {

const char kRfc3161TimeStamp[] = "1.3.6.1.4.1.311.3.3.1";

std::string Oid(const ASN1_OBJECT* object) {
  char text[128];
  const int n = OBJ_obj2txt(text, sizeof text, object, 1);
  return n > 0 && static_cast<size_t>(n) < sizeof text ? std::string(text, static_cast<size_t>(n)) : std::string();
}

bool SecondsOf(const ASN1_TIME* time, int64_t* seconds) {
  struct tm tm = {};
  if (time == nullptr || ASN1_TIME_to_tm(time, &tm) != 1) return false;
  *seconds = static_cast<int64_t>(timegm(&tm));
  return true;
}

std::string Sha256Of(const unsigned char* p, size_t n) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(p, n, digest);
  return std::string(reinterpret_cast<char*>(digest), sizeof digest);
}

std::string SubjectText(X509* cert) {
  BIO* out = BIO_new(BIO_s_mem());
  if (out == nullptr) return std::string();
  X509_NAME_print_ex(out, X509_get_subject_name(cert), 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
  char* text = nullptr;
  const long n = BIO_get_mem_data(out, &text);
  std::string subject(text ? text : "", n > 0 ? static_cast<size_t>(n) : 0);
  BIO_free(out);
  return subject;
}

// The time of an RFC 3161 token over the signer's signature value: only a
// token whose own signature verifies and whose imprint is the SHA-256 of
// that value counts.
bool TimeStampTime(PKCS7_SIGNER_INFO* signer, int64_t* when) {
  STACK_OF(X509_ATTRIBUTE)* attributes = signer->unauth_attr;
  for (int i = 0; i < sk_X509_ATTRIBUTE_num(attributes); ++i) {
    X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, i);
    if (Oid(X509_ATTRIBUTE_get0_object(attribute)) != kRfc3161TimeStamp) continue;
    ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    if (value == nullptr || value->type != V_ASN1_SEQUENCE) continue;
    const unsigned char* p = value->value.sequence->data;
    PKCS7* token = d2i_PKCS7(nullptr, &p, value->value.sequence->length);
    if (token == nullptr) continue;
    bool ok = false;
    BIO* content = BIO_new(BIO_s_mem());
    if (PKCS7_type_is_signed(token) &&
        PKCS7_verify(token, nullptr, nullptr, nullptr, content, PKCS7_NOVERIFY | PKCS7_BINARY) == 1) {
      char* bytes = nullptr;
      const long n = BIO_get_mem_data(content, &bytes);
      const unsigned char* q = reinterpret_cast<const unsigned char*>(bytes);
      TS_TST_INFO* info = n > 0 ? d2i_TS_TST_INFO(nullptr, &q, n) : nullptr;
      if (info != nullptr) {
        TS_MSG_IMPRINT* imprint = TS_TST_INFO_get_msg_imprint(info);
        const X509_ALGOR* algorithm = TS_MSG_IMPRINT_get_algo(imprint);
        const ASN1_OCTET_STRING* hashed = TS_MSG_IMPRINT_get_msg(imprint);
        const std::string expected = Sha256Of(signer->enc_digest->data, static_cast<size_t>(signer->enc_digest->length));
        if (OBJ_obj2nid(algorithm->algorithm) == NID_sha256 &&
            std::string(reinterpret_cast<const char*>(hashed->data), static_cast<size_t>(hashed->length)) == expected) {
          ok = SecondsOf(TS_TST_INFO_get_time(info), when);
        }
        TS_TST_INFO_free(info);
      }
    }
    BIO_free(content);
    PKCS7_free(token);
    if (ok) return true;
  }
  return false;
}

}  // namespace

std::string Sha256Ranges(const uint8_t* data, const std::vector<ByteRange>& ranges) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  unsigned char digest[SHA256_DIGEST_LENGTH];
  unsigned int length = 0;
  bool ok = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
  for (const ByteRange& r : ranges) ok = ok && EVP_DigestUpdate(context, data + r.offset, r.length) == 1;
  ok = ok && EVP_DigestFinal_ex(context, digest, &length) == 1;
  EVP_MD_CTX_free(context);
  // No digest at all never equals a signed one.
  return ok ? std::string(reinterpret_cast<char*>(digest), length) : std::string();
}

bool ReadSignedData(const std::string& signedData, SignedDataFacts* facts) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(signedData.data());
  PKCS7* p7 = d2i_PKCS7(nullptr, &p, static_cast<long>(signedData.size()));
  if (p7 == nullptr) return false;
  bool ok = false;
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_type_is_signed(p7) ? PKCS7_get_signer_info(p7) : nullptr;
  PKCS7* inner = signers ? p7->d.sign->contents : nullptr;
  if (signers != nullptr && sk_PKCS7_SIGNER_INFO_num(signers) == 1 && inner != nullptr &&
      inner->d.other != nullptr && PKCS7_type_is_other(inner) && inner->d.other->type == V_ASN1_SEQUENCE) {
    PKCS7_SIGNER_INFO* signer = sk_PKCS7_SIGNER_INFO_value(signers, 0);
    X509* cert = X509_find_by_issuer_and_serial(p7->d.sign->cert, signer->issuer_and_serial->issuer,
                                                signer->issuer_and_serial->serial);
    const ASN1_STRING* sequence = inner->d.other->value.sequence;
    if (cert != nullptr) {
      facts->contentType = Oid(inner->type);
      // The content as it was encoded, with its SEQUENCE header.
      unsigned char* der = nullptr;
      const int n = i2d_ASN1_TYPE(inner->d.other, &der);
      if (n > 0) facts->content.assign(reinterpret_cast<char*>(der), static_cast<size_t>(n));
      OPENSSL_free(der);
      facts->signer = SubjectText(cert);
      unsigned char* key = nullptr;
      const int k = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &key);
      if (k > 0) facts->keySha256 = Sha256Of(key, static_cast<size_t>(k));
      OPENSSL_free(key);
      facts->parsed = n > 0 && k > 0 && SecondsOf(X509_get0_notBefore(cert), &facts->notBefore) &&
                      SecondsOf(X509_get0_notAfter(cert), &facts->notAfter);

      // Authenticode digests the content's value without its own tag and
      // length; the signature then covers the signed attributes.
      // A SEQUENCE in an ASN1_TYPE keeps its whole encoding.
      const unsigned char* value = sequence->data;
      size_t valueLength = static_cast<size_t>(sequence->length);
      const size_t header = valueLength < 2 ? valueLength : (value[1] & 0x80) ? 2 + (value[1] & 0x7f) : 2;
      value += header < valueLength ? header : valueLength;
      valueLength -= header < valueLength ? header : valueLength;
      BIO* input = BIO_new_mem_buf(value, static_cast<int>(valueLength));
      BIO* chain = input ? PKCS7_dataInit(p7, input) : nullptr;
      if (chain != nullptr) {
        char sink[4096];
        while (BIO_read(chain, sink, sizeof sink) > 0) {
        }
        facts->signatureValid = PKCS7_signatureVerify(chain, p7, signer, cert) == 1;
        BIO_free_all(chain);  // input included
      } else {
        BIO_free(input);
      }
      facts->timestamped = TimeStampTime(signer, &facts->signingTime);
      ok = facts->parsed;
    }
  }
  PKCS7_free(p7);
  return ok;
}

int64_t SecondsNow() { return static_cast<int64_t>(std::time(nullptr)); }

// The package's bytes move into a memory file sealed against every change;
// what was checked is what runs, whatever happens to the path meanwhile.
struct HeldPackage::State {
  int memory = -1;
  const uint8_t* data = nullptr;
  size_t size = 0;
};

HeldPackage::HeldPackage() : state_(new State) {}
HeldPackage::~HeldPackage() { Close(); }

bool HeldPackage::Open(const std::wstring& path) {
  Close();
  const int file = open(Utils::WideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  struct stat info;
  bool ok = fstat(file, &info) == 0 && S_ISREG(info.st_mode);
  const int memory = ok ? memfd_create("checked package", MFD_CLOEXEC | MFD_ALLOW_SEALING) : -1;
  ok = memory >= 0;
  off_t copied = 0;
  while (ok && copied < info.st_size) {
    const ssize_t n = sendfile(memory, file, &copied, static_cast<size_t>(info.st_size - copied));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
  }
  close(file);
  ok = ok && fcntl(memory, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) == 0;
  void* view = nullptr;
  if (ok && copied > 0) {
    view = mmap(nullptr, static_cast<size_t>(copied), PROT_READ, MAP_SHARED, memory, 0);
    ok = view != MAP_FAILED;
  }
  if (!ok) {
    if (memory >= 0) close(memory);
    return false;
  }
  state_->memory = memory;
  state_->data = static_cast<const uint8_t*>(view);
  state_->size = static_cast<size_t>(copied);
  return true;
}

const uint8_t* HeldPackage::Data() const { return state_->data; }
size_t HeldPackage::Size() const { return state_->size; }
std::intptr_t HeldPackage::ExecutableHandle() const { return state_->memory; }

void HeldPackage::Close() {
  if (state_->data != nullptr) munmap(const_cast<uint8_t*>(state_->data), state_->size);
  if (state_->memory >= 0) close(state_->memory);
  state_->memory = -1;
  state_->data = nullptr;
  state_->size = 0;
}

}  // namespace Install
