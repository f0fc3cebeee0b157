#include "form_decoding.h"

#include <zlib.h>

namespace collector {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool PercentDecode(const std::string& text, std::string* bytes, std::string* error) {
  bytes->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
      const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
      if (high < 0 || low < 0) {
        *error = "bad percent escape at " + std::to_string(i);
        return false;
      }
      *bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else if (IsUnreserved(text[i])) {
      *bytes += text[i];
    } else {
      *error = "byte that should have been percent-encoded at " + std::to_string(i);
      return false;
    }
  }
  return true;
}

bool Base64Decode(const std::string& text, std::string* bytes, std::string* error) {
  bytes->clear();
  if (text.size() % 4 != 0) {
    *error = "Base64 length " + std::to_string(text.size()) + " is not a multiple of four";
    return false;
  }
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int v[4];
    int padding = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      if (c == '=' && last && k >= 2) {
        ++padding;
        v[k] = 0;
        continue;
      }
      v[k] = padding ? -1 : Base64Value(c);
      if (v[k] < 0) {
        *error = "bad Base64 character at " + std::to_string(i + k);
        return false;
      }
    }
    const uint32_t n = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
    *bytes += static_cast<char>((n >> 16) & 0xFF);
    if (padding < 2) *bytes += static_cast<char>((n >> 8) & 0xFF);
    if (padding < 1) *bytes += static_cast<char>(n & 0xFF);
  }
  return true;
}

bool Gunzip(const std::string& compressed, std::string* text, std::string* error) {
  if (compressed.size() < 2 || static_cast<unsigned char>(compressed[0]) != 0x1F ||
      static_cast<unsigned char>(compressed[1]) != 0x8B) {
    *error = "not a gzip stream";
    return false;
  }
  z_stream stream{};
  if (inflateInit2(&stream, 31) != Z_OK) {
    *error = "inflateInit2 failed";
    return false;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  text->clear();
  char chunk[16384];
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof(chunk);
    result = inflate(&stream, Z_NO_FLUSH);
    text->append(chunk, sizeof(chunk) - stream.avail_out);
    if (result == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  const bool ok = result == Z_STREAM_END && stream.avail_in == 0;
  if (!ok) {
    *error = result == Z_STREAM_END ? "bytes after the gzip stream"
                                    : "gzip stream broken or cut short (" + std::to_string(result) + ")";
  }
  inflateEnd(&stream);
  return ok;
}

bool DecodeFormBody(const std::string& body, std::string* batch, std::string* error) {
  static const std::string kHead = "data_list=";
  static const std::string kTail = "&gzip=1";
  if (body.size() < kHead.size() + kTail.size() || body.compare(0, kHead.size(), kHead) != 0 ||
      body.compare(body.size() - kTail.size(), kTail.size(), kTail) != 0) {
    *error = "body is not data_list=...&gzip=1";
    return false;
  }
  const std::string field = body.substr(kHead.size(), body.size() - kHead.size() - kTail.size());
  std::string base64, compressed;
  return PercentDecode(field, &base64, error) && Base64Decode(base64, &compressed, error) &&
         Gunzip(compressed, batch, error);
}

}  // namespace collector
