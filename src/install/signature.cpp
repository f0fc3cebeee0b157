#include "signature.h"

#include <algorithm>
#include <cwctype>

namespace Install {
namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint16_t kPe32 = 0x10b;
constexpr uint16_t kPe32Plus = 0x20b;
constexpr size_t kSecurityDirectory = 4;
constexpr uint16_t kCertificateRevision2 = 0x0200;
constexpr uint16_t kCertificatePkcsSignedData = 0x0002;
constexpr size_t kWinCertificateHeader = 8;
const char kSha256Oid[] = "2.16.840.1.101.3.4.2.1";

// One DER element: its tag, where its value starts and how long it is.
struct Der {
  uint8_t tag = 0;
  size_t header = 0;
  size_t length = 0;
};

// Definite lengths only (DER); false for anything running past `size`.
bool ReadDer(const uint8_t* p, size_t size, Der* out) {
  if (size < 2) return false;
  out->tag = p[0];
  size_t length = p[1];
  size_t header = 2;
  if (length & 0x80) {
    const size_t count = length & 0x7f;
    if (count == 0 || count > 4 || size < 2 + count) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | p[2 + i];
    header += count;
  }
  if (length > size - header) return false;
  out->header = header;
  out->length = length;
  return true;
}

std::string DottedOid(const uint8_t* p, size_t n) {
  if (n == 0) return std::string();
  std::string text = std::to_string(p[0] / 40) + "." + std::to_string(p[0] % 40);
  uint64_t value = 0;
  for (size_t i = 1; i < n; ++i) {
    value = (value << 7) | (p[i] & 0x7f);
    if (!(p[i] & 0x80)) {
      text += "." + std::to_string(value);
      value = 0;
    }
  }
  return text;
}

}  // namespace

const wchar_t* SignatureVerdictText(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::kValid: return L"签名有效";
    case SignatureVerdict::kUnsigned: return L"未签名";
    case SignatureVerdict::kInvalidSignature: return L"签名无效";
    case SignatureVerdict::kPublisherMismatch: return L"发布者不符";
    case SignatureVerdict::kExpired: return L"证书已过期";
    case SignatureVerdict::kDigestMismatch: return L"文件摘要不符";
    case SignatureVerdict::kUnreadable: return L"安装包无法读取";
  }
  return L"";
}

std::wstring SignatureRefusalText(SignatureVerdict verdict) {
  return std::wstring(L"安装包未通过签名校验：") + SignatureVerdictText(verdict);
}

const char* SignatureVerdictName(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::kValid: return "valid";
    case SignatureVerdict::kUnsigned: return "unsigned";
    case SignatureVerdict::kInvalidSignature: return "invalid signature";
    case SignatureVerdict::kPublisherMismatch: return "publisher mismatch";
    case SignatureVerdict::kExpired: return "expired";
    case SignatureVerdict::kDigestMismatch: return "digest mismatch";
    case SignatureVerdict::kUnreadable: return "unreadable";
  }
  return "";
}

bool ParsePeLayout(const uint8_t* data, size_t size, PeLayout* layout) {
  if (size < 0x40 || data[0] != 'M' || data[1] != 'Z') return false;
  const size_t pe = Le32(data + 0x3c);
  // Signature, COFF header, then at least the optional header's magic.
  if (pe > size || size - pe < 4 + 20 + 2) return false;
  if (data[pe] != 'P' || data[pe + 1] != 'E' || data[pe + 2] != 0 || data[pe + 3] != 0) return false;
  const size_t optionalSize = Le16(data + pe + 4 + 16);
  const size_t optional = pe + 24;
  if (optionalSize > size - optional) return false;
  const uint16_t magic = Le16(data + optional);
  size_t countAt = 0, directories = 0;
  if (magic == kPe32) {
    countAt = 92;
    directories = 96;
  } else if (magic == kPe32Plus) {
    countAt = 108;
    directories = 112;
  } else {
    return false;
  }
  if (optionalSize < directories + 8 * (kSecurityDirectory + 1)) return false;
  if (Le32(data + optional + countAt) <= kSecurityDirectory) return false;
  layout->checksumOffset = optional + 64;
  layout->certEntryOffset = optional + directories + 8 * kSecurityDirectory;
  layout->certTableOffset = Le32(data + layout->certEntryOffset);
  layout->certTableSize = Le32(data + layout->certEntryOffset + 4);
  return true;
}

std::vector<ByteRange> ImageDigestRanges(const PeLayout& layout, size_t fileSize) {
  size_t end = fileSize;
  const size_t afterEntry = layout.certEntryOffset + 8;
  if (layout.certTableOffset != 0 && layout.certTableOffset >= afterEntry && layout.certTableOffset <= fileSize) {
    end = layout.certTableOffset;
  }
  std::vector<ByteRange> ranges;
  ranges.push_back({0, layout.checksumOffset});
  ranges.push_back({layout.checksumOffset + 4, layout.certEntryOffset - (layout.checksumOffset + 4)});
  ranges.push_back({afterEntry, end - afterEntry});
  return ranges;
}

CertificateTable FindSignedData(const uint8_t* data, size_t size, const PeLayout& layout, std::string* signedData) {
  if (layout.certTableOffset == 0 && layout.certTableSize == 0) return CertificateTable::kNone;
  const size_t offset = layout.certTableOffset;
  const size_t tableSize = layout.certTableSize;
  // The table comes last: anything after it would be outside every digest.
  if (offset < layout.certEntryOffset + 8 || offset > size || tableSize != size - offset) {
    return CertificateTable::kDamaged;
  }
  if (tableSize < kWinCertificateHeader) return CertificateTable::kDamaged;
  const uint8_t* entry = data + offset;
  const size_t length = Le32(entry);
  if (length < kWinCertificateHeader || length > tableSize || Le16(entry + 4) != kCertificateRevision2 ||
      Le16(entry + 6) != kCertificatePkcsSignedData) {
    return CertificateTable::kDamaged;
  }
  Der outer;
  const uint8_t* blob = entry + kWinCertificateHeader;
  if (!ReadDer(blob, length - kWinCertificateHeader, &outer) || outer.tag != 0x30) return CertificateTable::kDamaged;
  signedData->assign(reinterpret_cast<const char*>(blob), outer.header + outer.length);
  return CertificateTable::kSignedData;
}

bool ParseIndirectData(const std::string& der, std::string* algorithm, std::string* digest) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(der.data());
  Der top, data, info, id, oid, value;
  if (!ReadDer(p, der.size(), &top) || top.tag != 0x30) return false;
  const uint8_t* q = p + top.header;
  size_t left = top.length;
  if (!ReadDer(q, left, &data) || data.tag != 0x30) return false;
  q += data.header + data.length;
  left -= data.header + data.length;
  if (!ReadDer(q, left, &info) || info.tag != 0x30) return false;
  q += info.header;
  left = info.length;
  if (!ReadDer(q, left, &id) || id.tag != 0x30) return false;
  if (!ReadDer(q + id.header, id.length, &oid) || oid.tag != 0x06) return false;
  *algorithm = DottedOid(q + id.header + oid.header, oid.length);
  q += id.header + id.length;
  left -= id.header + id.length;
  if (!ReadDer(q, left, &value) || value.tag != 0x04) return false;
  digest->assign(reinterpret_cast<const char*>(q + value.header), value.length);
  return true;
}

std::vector<std::string> ParsePinnedKeys(const std::wstring& list) {
  std::vector<std::string> keys;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(L',', start);
    if (comma == std::wstring::npos) comma = list.size();
    std::wstring item = list.substr(start, comma - start);
    start = comma + 1;
    item.erase(std::remove_if(item.begin(), item.end(), [](wchar_t c) { return std::iswspace(c) != 0; }),
               item.end());
    if (item.empty()) continue;
    std::string key;
    bool ok = item.size() == 64;
    for (size_t i = 0; ok && i < item.size(); i += 2) {
      int byte = 0;
      for (size_t j = 0; j < 2; ++j) {
        const wchar_t c = item[i + j];
        int v;
        if (c >= L'0' && c <= L'9') v = c - L'0';
        else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
        else { ok = false; break; }
        byte = byte * 16 + v;
      }
      key.push_back(static_cast<char>(byte));
    }
    // No key's digest has another length, so this entry matches nothing.
    keys.push_back(ok ? key : std::string("malformed"));
  }
  return keys;
}

std::string HexOf(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

std::string SubjectPublicKeyInfoOf(const std::string& certificate) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(certificate.data());
  Der cert, tbs, field;
  if (!ReadDer(p, certificate.size(), &cert) || cert.tag != 0x30) return std::string();
  if (!ReadDer(p + cert.header, cert.length, &tbs) || tbs.tag != 0x30) return std::string();
  const uint8_t* q = p + cert.header + tbs.header;
  size_t left = tbs.length;
  // [0] version (optional), serial, signature algorithm, issuer, validity,
  // subject, then the key.
  if (!ReadDer(q, left, &field)) return std::string();
  int skip = field.tag == 0xa0 ? 6 : 5;
  while (skip-- > 0) {
    if (!ReadDer(q, left, &field)) return std::string();
    q += field.header + field.length;
    left -= field.header + field.length;
  }
  if (!ReadDer(q, left, &field) || field.tag != 0x30) return std::string();
  return std::string(reinterpret_cast<const char*>(q), field.header + field.length);
}

namespace {

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// "YYYYMMDDHHMMSS[.fraction]Z"
bool GeneralizedTime(const uint8_t* p, size_t n, int64_t* when) {
  if (n < 15 || p[n - 1] != 'Z') return false;
  int64_t f[6];
  const int widths[6] = {4, 2, 2, 2, 2, 2};
  size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    f[i] = 0;
    for (int j = 0; j < widths[i]; ++j, ++at) {
      if (p[at] < '0' || p[at] > '9') return false;
      f[i] = f[i] * 10 + (p[at] - '0');
    }
  }
  if (f[1] < 1 || f[1] > 12 || f[2] < 1 || f[2] > 31 || f[3] > 23 || f[4] > 59 || f[5] > 60) return false;
  *when = DaysFromCivil(f[0], f[1], f[2]) * 86400 + f[3] * 3600 + f[4] * 60 + f[5];
  return true;
}

}  // namespace

bool ParseTimeStampInfo(const std::string& der, std::string* algorithm, std::string* imprint, int64_t* when) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(der.data());
  Der top, e, id, oid;
  if (!ReadDer(p, der.size(), &top) || top.tag != 0x30) return false;
  const uint8_t* q = p + top.header;
  size_t left = top.length;
  auto next = [&](uint8_t tag) {
    if (!ReadDer(q, left, &e) || e.tag != tag) return false;
    q += e.header + e.length;
    left -= e.header + e.length;
    return true;
  };
  if (!next(0x02) || !next(0x06)) return false;  // version, policy
  const uint8_t* imprintAt = q;
  if (!next(0x30)) return false;
  {
    const uint8_t* r = imprintAt + e.header;
    size_t rest = e.length;
    Der value;
    if (!ReadDer(r, rest, &id) || id.tag != 0x30 || !ReadDer(r + id.header, id.length, &oid) || oid.tag != 0x06) {
      return false;
    }
    *algorithm = DottedOid(r + id.header + oid.header, oid.length);
    r += id.header + id.length;
    rest -= id.header + id.length;
    if (!ReadDer(r, rest, &value) || value.tag != 0x04) return false;
    imprint->assign(reinterpret_cast<const char*>(r + value.header), value.length);
  }
  if (!next(0x02)) return false;  // serial
  const uint8_t* timeAt = q;
  if (!next(0x18)) return false;
  return GeneralizedTime(timeAt + e.header, e.length, when);
}

SignatureReport CheckSignature(const uint8_t* data, size_t size, const std::vector<std::string>& pins, int64_t now,
                               bool checkPins) {
  SignatureReport report;
  PeLayout layout;
  if (!ParsePeLayout(data, size, &layout)) return report;  // unsigned
  std::string signedData;
  switch (FindSignedData(data, size, layout, &signedData)) {
    case CertificateTable::kNone: return report;
    case CertificateTable::kDamaged: report.verdict = SignatureVerdict::kInvalidSignature; return report;
    case CertificateTable::kSignedData: break;
  }
  SignedDataFacts facts;
  report.verdict = SignatureVerdict::kInvalidSignature;
  if (!ReadSignedData(signedData, &facts) || !facts.parsed) return report;
  report.signer = facts.signer;
  report.keySha256Hex = HexOf(facts.keySha256);
  report.timestamped = facts.timestamped;
  report.signingTime = facts.timestamped ? facts.signingTime : now;
  std::string algorithm, signedDigest;
  if (facts.contentType != "1.3.6.1.4.1.311.2.1.4" || !ParseIndirectData(facts.content, &algorithm, &signedDigest) ||
      algorithm != kSha256Oid) {
    return report;
  }
  const std::string digest = Sha256Ranges(data, ImageDigestRanges(layout, size));
  report.digest = digest == signedDigest ? SignatureReport::Digest::kMatches : SignatureReport::Digest::kDiffers;
  if (!facts.signatureValid) return report;
  if (report.digest != SignatureReport::Digest::kMatches) {
    report.verdict = SignatureVerdict::kDigestMismatch;
    return report;
  }
  if (checkPins && std::find(pins.begin(), pins.end(), facts.keySha256) == pins.end()) {
    report.verdict = SignatureVerdict::kPublisherMismatch;
    return report;
  }
  if (report.signingTime < facts.notBefore || report.signingTime > facts.notAfter) {
    report.verdict = SignatureVerdict::kExpired;
    return report;
  }
  report.verdict = SignatureVerdict::kValid;
  return report;
}

}  // namespace Install
