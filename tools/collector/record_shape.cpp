#include "record_shape.h"

#include <json/json.h>

#include <memory>
#include <sstream>

namespace collector {
namespace {

// A strict JSON reader over the raw text that keeps what a parser throws
// away: where each value starts and ends, the order of keys, white space.
class Scanner {
 public:
  Scanner(const std::string& text, std::string* error) : s_(text), error_(error) {}

  bool AtEnd() const { return pos_ == s_.size(); }
  size_t pos() const { return pos_; }
  bool Peek(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
  bool Expect(char c) {
    if (Peek(c)) {
      ++pos_;
      return true;
    }
    return Fail(std::string("expected '") + c + "'");
  }
  bool Fail(const std::string& what) {
    *error_ = what + " at byte " + std::to_string(pos_);
    if (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\t' || s_[pos_] == '\r'))
      *error_ += " (white space)";
    return false;
  }

  bool Value(int depth = 0) {
    if (depth > 32) return Fail("nested too deep");
    if (Peek('{')) return Object(nullptr, depth);
    if (Peek('[')) return Array(depth);
    if (Peek('"')) return String(nullptr);
    if (Literal("true") || Literal("false") || Literal("null")) return true;
    return Number();
  }

  bool Object(std::vector<std::string>* keys, int depth = 0) {
    if (!Expect('{')) return false;
    std::string previous;
    bool first = true;
    if (Peek('}')) return Expect('}');
    for (;;) {
      std::string key;
      if (!String(&key)) return false;
      if (!first && !(previous < key)) return Fail("key \"" + key + "\" out of order or repeated");
      if (keys) keys->push_back(key);
      previous = key;
      first = false;
      if (!Expect(':') || !Value(depth + 1)) return false;
      if (Peek(',')) {
        ++pos_;
        continue;
      }
      return Expect('}');
    }
  }

  bool Array(int depth) {
    if (!Expect('[')) return false;
    if (Peek(']')) return Expect(']');
    for (;;) {
      if (!Value(depth + 1)) return false;
      if (Peek(',')) {
        ++pos_;
        continue;
      }
      return Expect(']');
    }
  }

  bool String(std::string* raw) {
    if (!Expect('"')) return false;
    const size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      const unsigned char c = static_cast<unsigned char>(s_[pos_]);
      if (c < 0x20) return Fail("raw control byte in a string");
      if (c == '\\') {
        ++pos_;
        if (pos_ >= s_.size()) break;
        const char e = s_[pos_];
        if (e == 'u') {
          for (int k = 1; k <= 4; ++k) {
            if (pos_ + k >= s_.size() || !isxdigit(static_cast<unsigned char>(s_[pos_ + k])))
              return Fail("bad \\u escape");
          }
          pos_ += 4;
        } else if (std::string("bfnrt\"\\/").find(e) == std::string::npos) {
          return Fail("bad escape");
        }
      }
      ++pos_;
    }
    if (raw) *raw = s_.substr(start, pos_ - start);
    return Expect('"');
  }

  bool Number() {
    const size_t start = pos_;
    if (Peek('-')) ++pos_;
    if (!Digits()) return Fail("expected a value");
    if (Peek('.')) {
      ++pos_;
      if (!Digits()) return Fail("bad number");
    }
    if (Peek('e') || Peek('E')) {
      ++pos_;
      if (Peek('+') || Peek('-')) ++pos_;
      if (!Digits()) return Fail("bad number");
    }
    return pos_ > start;
  }

 private:
  bool Digits() {
    const size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    return pos_ > start;
  }
  bool Literal(const char* word) {
    const std::string w(word);
    if (s_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }

  const std::string& s_;
  std::string* error_;
  size_t pos_ = 0;
};

const char* const kRecordKeys[] = {"_track_id", "distinct_id", "event", "lib",
                                   "properties", "time", "type"};

}  // namespace

bool SplitBatch(const std::string& batch, std::vector<std::string>* records, std::string* error) {
  records->clear();
  Scanner scan(batch, error);
  if (!scan.Expect('[')) return false;
  if (scan.Peek(']')) {
    scan.Expect(']');
  } else {
    for (;;) {
      const size_t start = scan.pos();
      if (!scan.Peek('{')) return scan.Fail("a batch element that is not an object");
      if (!scan.Object(nullptr)) return false;
      records->push_back(batch.substr(start, scan.pos() - start));
      if (scan.Peek(',')) {
        scan.Expect(',');
        continue;
      }
      if (!scan.Expect(']')) return false;
      break;
    }
  }
  return scan.AtEnd() || scan.Fail("bytes after the batch");
}

bool CheckRecord(const std::string& record, std::string* error) {
  Scanner scan(record, error);
  std::vector<std::string> keys;
  if (!scan.Object(&keys)) return false;
  if (!scan.AtEnd()) return scan.Fail("bytes after the record");
  const std::vector<std::string> expected(std::begin(kRecordKeys), std::end(kRecordKeys));
  if (keys != expected) {
    *error = "record keys are not exactly _track_id,distinct_id,event,lib,properties,time,type";
    return false;
  }
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string parseError;
  if (!reader->parse(record.data(), record.data() + record.size(), &value, &parseError)) {
    *error = "JSON: " + parseError;
    return false;
  }
  struct {
    const char* key;
    bool (Json::Value::*is)() const;
    const char* type;
  } const kTypes[] = {
      {"_track_id", &Json::Value::isInt64, "an integer"},
      {"distinct_id", &Json::Value::isString, "a string"},
      {"event", &Json::Value::isString, "a string"},
      {"lib", &Json::Value::isObject, "an object"},
      {"properties", &Json::Value::isObject, "an object"},
      {"time", &Json::Value::isInt64, "an integer"},
      {"type", &Json::Value::isString, "a string"},
  };
  for (const auto& t : kTypes) {
    if (!(value[t.key].*t.is)()) {
      *error = std::string(t.key) + " is not " + t.type;
      return false;
    }
  }
  if (value["type"].asString() != "track") {
    *error = "type is not \"track\"";
    return false;
  }
  return true;
}

}  // namespace collector
