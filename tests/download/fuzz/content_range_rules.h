// What the answer's headers promise for any header block, checked by the
// fuzz target and by the suite's replay of corpus/content_range. An input
// is the block as a server sends it; each line goes to the header function
// as libcurl hands it over (with its line break). Returns the first
// promise broken, empty when all hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "download/downloader.h"

namespace quillon_fuzz {

inline AnswerHeaders CollectHeaders(const std::string& block) {
  AnswerHeaders headers;
  size_t from = 0;
  while (from < block.size()) {
    const size_t lf = block.find('\n', from);
    const size_t end = lf == std::string::npos ? block.size() : lf + 1;
    std::vector<char> line(block.begin() + static_cast<std::ptrdiff_t>(from),
                           block.begin() + static_cast<std::ptrdiff_t>(end));
    if (AnswerHeaders::Collect(line.data(), 1, line.size(), &headers) != line.size()) break;
    from = end;
  }
  return headers;
}

inline std::string CheckContentRange(const std::string& block) {
  const AnswerHeaders headers = CollectHeaders(block);
  if (headers.rangeStart < -1) return "a negative first byte";
  if (headers.rangeStart >= 0 && headers.StartsElsewhereThan(headers.rangeStart))
    return "an answer does not fit the byte it starts at";
  for (int64_t asked : {int64_t{0}, int64_t{1}, int64_t{100}, int64_t{1} << 32}) {
    if (headers.rangeStart < 0 && headers.StartsElsewhereThan(asked)) return "an answer without a first byte is refused";
    if (headers.rangeStart >= 0 && headers.rangeStart != asked && !headers.StartsElsewhereThan(asked))
      return "an answer fits a byte it does not start at";
  }
  return "";
}

}  // namespace quillon_fuzz
