#include "tools/pack/building_description.h"

#include <charconv>

namespace {

// The line's words, a comment cut off.
std::vector<std::string_view> Words(std::string_view line) {
  if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
    const size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t' && line[pos] != '\r') ++pos;
    if (pos > start) words.push_back(line.substr(start, pos - start));
  }
  return words;
}

template <typename T>
bool Number(std::string_view word, T* out) {
  const char* end = word.data() + word.size();
  auto [p, ec] = std::from_chars(word.data(), end, *out);
  return ec == std::errc() && p == end;
}

// Calls statement(words) for every line that has words; stops with the
// line's number in the message at the first false.
template <typename Statement>
bool ForEachLine(std::string_view text, std::string* error, Statement statement) {
  int number = 0;
  while (!text.empty()) {
    ++number;
    const size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    std::string why;
    if (!statement(words, &why)) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

}  // namespace

bool AnimationDescriptionParse(std::string_view text, AnimationDescription* out, std::string* error) {
  *out = AnimationDescription{};
  bool haveDuration = false;
  const bool ok = ForEachLine(text, error, [&](const std::vector<std::string_view>& w, std::string* why) {
    if (w[0] == "duration") {
      if (w.size() != 2 || !Number(w[1], &out->duration)) {
        *why = "duration needs one number from 0 to 65535";
        return false;
      }
      haveDuration = true;
      return true;
    }
    if (w[0] == "frame") {
      AnimationDescription::Frame f;
      if (w.size() == 2 || (w.size() == 4 && w[2] == "next" && Number(w[3], &f.next))) {
        f.file = std::string(w[1]);
        if (out->frames.size() >= 65535) {
          *why = "more than 65535 frames";
          return false;
        }
        out->frames.push_back(std::move(f));
        return true;
      }
      *why = "frame needs a file name and optionally \"next N\" (N from 0 to 65535)";
      return false;
    }
    *why = "unknown statement " + std::string(w[0]);
    return false;
  });
  if (!ok) return false;
  if (!haveDuration || out->frames.empty()) {
    *error = "an animation needs a duration and at least one frame";
    return false;
  }
  return true;
}

bool BuildingDescriptionParse(std::string_view text, BuildingDescription* out, std::string* error) {
  *out = BuildingDescription{};
  bool haveRect = false;
  const bool ok = ForEachLine(text, error, [&](const std::vector<std::string_view>& w, std::string* why) {
    if (w[0] == "rect") {
      Rect& r = out->rect;
      if (w.size() != 5 || !Number(w[1], &r.left) || !Number(w[2], &r.top) || !Number(w[3], &r.right) ||
          !Number(w[4], &r.bottom) || r.right <= r.left || r.bottom <= r.top) {
        *why = "rect needs LEFT TOP RIGHT BOTTOM, 16-bit numbers with RIGHT > LEFT and BOTTOM > TOP";
        return false;
      }
      haveRect = true;
      return true;
    }
    std::string* file = w[0] == "idle" ? &out->idle : w[0] == "enter" ? &out->enter : w[0] == "closed" ? &out->closed : nullptr;
    if (!file) {
      *why = "unknown statement " + std::string(w[0]);
      return false;
    }
    if (w.size() != 2) {
      *why = std::string(w[0]) + " needs one file name";
      return false;
    }
    *file = std::string(w[1]);
    return true;
  });
  if (!ok) return false;
  if (!haveRect) {
    *error = "a building needs a rect";
    return false;
  }
  return true;
}
