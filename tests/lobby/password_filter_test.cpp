#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "lobby/account_rules.h"

namespace {

using E = PasswordFieldEdit;

// A password field and its buffer, with the buffer fenced so that a write
// past its 32 bytes shows.
struct Field {
  // stars: the field's length; by default one per character of text.
  explicit Field(const std::string& text, size_t starCount = SIZE_MAX) {
    std::memset(guarded, '#', sizeof guarded);
    std::memset(buffer(), 0, kPasswordSize);
    std::memcpy(buffer(), text.data(), text.size());
    stars = starCount == SIZE_MAX ? text.size() : starCount;
  }
  char* buffer() { return guarded + 8; }
  bool FencesIntact() const {
    for (size_t i = 0; i < 8; ++i) {
      if (guarded[i] != '#' || guarded[8 + kPasswordSize + i] != '#') return false;
    }
    return true;
  }
  // Types c with the selection [s, e) and mirrors what the window does.
  E Type(uint8_t c, uint32_t s, uint32_t e) {
    const E edit = PasswordBufferApply(buffer(), {static_cast<uint32_t>(stars), s, e}, c);
    if (edit == E::kClear) stars = 0;
    if (edit == E::kReplaceSelection) stars = stars - (e - s) + 1;
    if (edit == E::kInsertAtCaret) stars += 1;
    return edit;
  }
  std::string Text() { return std::string(buffer(), strnlen(buffer(), kPasswordSize)); }

  char guarded[8 + kPasswordSize + 8];
  size_t stars;
};

TEST(PasswordFilter, TypingBuildsThePlainTextAtTheCaret) {
  Field f("");
  EXPECT_EQ(f.Type('a', 0, 0), E::kInsertAtCaret);
  EXPECT_EQ(f.Type('c', 1, 1), E::kInsertAtCaret);
  EXPECT_EQ(f.Type('b', 1, 1), E::kInsertAtCaret);
  EXPECT_EQ(f.Text(), "abc");
  EXPECT_EQ(f.stars, 3u);
  // Control characters go in unchanged.
  EXPECT_EQ(f.Type('\t', 3, 3), E::kInsertAtCaret);
  EXPECT_EQ(f.Text(), "abc\t");
}

TEST(PasswordFilter, The32ndCharacterIsRejectedAndTheBufferKept) {
  Field f(std::string(31, 'p'));
  EXPECT_EQ(f.Type('x', 31, 31), E::kReject);
  EXPECT_EQ(f.Type('x', 5, 5), E::kReject);
  EXPECT_EQ(f.Text(), std::string(31, 'p'));
  EXPECT_EQ(f.stars, 31u);
  EXPECT_TRUE(f.FencesIntact());
}

TEST(PasswordFilter, ASelectionOfThreeBecomesOneCharacter) {
  Field f("abcdefg");
  EXPECT_EQ(f.Type('X', 2, 5), E::kReplaceSelection);
  EXPECT_EQ(f.Text(), "abXfg");
  EXPECT_EQ(f.stars, 5u);
  // A selection may replace even in a full field.
  Field full(std::string(31, 'p'));
  EXPECT_EQ(full.Type('Q', 28, 31), E::kReplaceSelection);
  EXPECT_EQ(full.Text(), std::string(28, 'p') + "Q");
}

TEST(PasswordFilter, BackspaceAnywhereEmptiesBoth) {
  Field f("secret");
  EXPECT_EQ(f.Type(8, 3, 3), E::kClear);
  EXPECT_EQ(f.Text(), "");
  EXPECT_EQ(f.stars, 0u);
  for (size_t i = 0; i < kPasswordSize; ++i) EXPECT_EQ(f.buffer()[i], 0) << i;
}

// The stars changed by something that was not a character (the field's own
// menu cut or pasted), so positions and lengths disagree with the buffer.
TEST(PasswordFilter, DriftedBuffersStayInside) {
  struct Case {
    const char* name;
    std::string buffer;
    std::string stars;
    uint32_t s, e;
    E edit;
    std::string after;
  };
  const Case cases[] = {
      {"caret past a shorter buffer", "ab", "**********", 9, 9, E::kInsertAtCaret, "abZ"},
      {"selection past a shorter buffer", "ab", "**********", 5, 9, E::kReplaceSelection, "abZ"},
      {"selection straddling the end", "abcd", "********", 2, 7, E::kReplaceSelection, "abZ"},
      {"full buffer, stars cut to 3", std::string(31, 'p'), "***", 1, 1, E::kReject,
       std::string(31, 'p')},
      {"full buffer, empty selection past it", std::string(31, 'p'), "****", 40, 50, E::kReject,
       std::string(31, 'p')},
      {"full buffer, selection inside", std::string(31, 'p'), "***", 0, 2, E::kReplaceSelection,
       "Z" + std::string(29, 'p')},
      {"empty buffer, many stars", "", std::string(20, '*'), 20, 20, E::kInsertAtCaret, "Z"},
      {"huge positions", "abc", "***", 0xFFFFFFF0u, 0xFFFFFFFFu, E::kReplaceSelection, "abcZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Field f(c.buffer, c.stars.size());
    EXPECT_EQ(f.Type('Z', c.s, c.e), c.edit);
    EXPECT_EQ(f.Text(), c.after);
    EXPECT_TRUE(f.FencesIntact());
    EXPECT_EQ(f.buffer()[kPasswordSize - 1], 0);
  }
}

TEST(PasswordFilter, BufferWithoutItsNulIsCutInside) {
  Field f("");
  std::memset(f.buffer(), 'q', kPasswordSize);
  EXPECT_EQ(f.Type('Z', 0, 0), E::kReject);
  EXPECT_EQ(f.Text(), std::string(31, 'q'));
  EXPECT_TRUE(f.FencesIntact());
}

}  // namespace
