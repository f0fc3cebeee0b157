#include "batch_encoding.h"

#include <zlib.h>

#include "error_log.h"

namespace analytics_sdk {
namespace {

constexpr size_t kChunk = 32768;

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string SerializeBatch(const std::vector<std::string>& records) {
  size_t size = 2;
  for (const std::string& r : records) size += r.size() + 1;
  std::string out;
  out.reserve(size);
  out += '[';
  for (size_t i = 0; i < records.size(); ++i) {
    if (i > 0) out += ',';
    out += records[i];
  }
  out += ']';
  return out;
}

bool Gzip(const std::string& text, std::string* compressed) {
  z_stream stream{};
  // Window bits 15 + 16: the gzip wrapper rather than the zlib one.
  if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    LogError("deflateInit2 failed while compressing.");
    return false;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  compressed->clear();
  char chunk[kChunk];
  int result = Z_OK;
  do {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof(chunk);
    result = deflate(&stream, Z_FINISH);
    compressed->append(chunk, sizeof(chunk) - stream.avail_out);
  } while (result == Z_OK);
  if (result != Z_STREAM_END) {
    LogError("Exception during zlib compression: (" + std::to_string(result) + ") " +
             (stream.msg ? stream.msg : ""));
    deflateEnd(&stream);
    return false;
  }
  deflateEnd(&stream);
  return true;
}

std::string Base64Encode(const std::string& bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t n = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += rest == 2 ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string PercentEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3 / 2);
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool EncodeBatch(const std::string& batch, std::string* body) {
  std::string compressed;
  if (!Gzip(batch, &compressed)) return false;
  *body = "data_list=" + PercentEncode(Base64Encode(compressed)) + "&gzip=1";
  return true;
}

}  // namespace analytics_sdk
