#include "tools/pack/manifest.h"

#include <charconv>

#include "media/rect_list.h"

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool ParseId(std::string_view s, uint32_t* id) {
  if (s.empty() || s.front() < '0' || s.front() > '9') return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *id);
  return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

bool ManifestParse(std::string_view text, std::vector<ManifestLine>* out, std::string* error) {
  out->clear();
  int number = 0;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++number;
    const std::vector<std::string_view> w = Words(line);
    if (w.empty() || w[0].front() == '#') continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (w.size() != 3) {
      *error = where + "expected <id> image|text|rects <file>";
      return false;
    }
    ManifestLine item{0, ManifestKind::kText, std::string(w[2]), number};
    if (!ParseId(w[0], &item.id)) {
      *error = where + "the id must be a decimal number below 2^32";
      return false;
    }
    if (w[1] == "image") {
      item.kind = ManifestKind::kImage;
    } else if (w[1] == "text") {
      item.kind = ManifestKind::kText;
    } else if (w[1] == "rects") {
      item.kind = ManifestKind::kRects;
    } else {
      *error = where + "unknown kind '" + std::string(w[1]) + "'";
      return false;
    }
    out->push_back(std::move(item));
  }
  return true;
}

bool RectListIsValid(std::string_view text) {
  size_t pos = 0;
  int16_t count = 0;
  if (!RectListNumber(text, &pos, &count) || count < 0) return false;
  for (int n = 0; n < 4 * count; ++n) {
    int16_t v;
    if (!RectListNumber(text, &pos, &v)) return false;
  }
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') return false;
  }
  return true;
}
