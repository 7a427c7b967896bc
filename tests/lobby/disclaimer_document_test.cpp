#include "lobby/disclaimer_document.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/memory.h"
#include "tests/media/media_fixtures.h"

namespace {

namespace fs = std::filesystem;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TextOf(const std::string& path) {
  char* t = DisclaimerFileReadText(path.c_str());
  if (!t) return "(none)";
  std::string s(t);
  MemFree(t);
  return s;
}

Bytes Header(uint32_t version, uint32_t length, uint32_t accepted) {
  Bytes b;
  PutBe32(&b, version);
  b.insert(b.end(), {'O', 'T', 'X', 'T'});
  PutBe32(&b, length);
  PutBe32(&b, accepted);
  return b;
}

Bytes Document(uint32_t version, const std::string& text, uint32_t accepted) {
  Bytes b = Header(version, static_cast<uint32_t>(text.size()) + 4, accepted);
  b.insert(b.end(), text.begin(), text.end());
  b.push_back(0);
  while (b.size() < 20) b.push_back(0);
  return b;
}

TEST(DisclaimerDocument, StoreWritesTheHeaderByteForByte) {
  ScratchDir dir("disc-store");
  const std::string path = dir.Path("disclaim.otx");
  ASSERT_EQ(DisclaimerFileStore(path.c_str(), "abc", 2), 0);
  const Bytes expected = {0, 0, 0, 2, 'O', 'T', 'X', 'T', 0, 0, 0, 7, 0, 0, 0, 0, 'a', 'b', 'c', 0};
  EXPECT_EQ(ReadAll(path), expected);

  // Shorter texts still leave the 20 bytes readers need; longer ones end in
  // their NUL. Both as the asset generator lays them out.
  for (const std::string& text : {std::string(), std::string("a"), std::string(300, 't')}) {
    SCOPED_TRACE(text.size());
    ASSERT_EQ(DisclaimerFileStore(path.c_str(), text.c_str(), 9), 0);
    EXPECT_EQ(ReadAll(path), Document(9, text, 0));
    EXPECT_EQ(TextOf(path), text);
  }
}

TEST(DisclaimerDocument, AcceptChangesOnlyBytes12To15) {
  ScratchDir dir("disc-accept");
  const std::string path = dir.Path("disclaim.otx");
  ASSERT_EQ(DisclaimerFileStore(path.c_str(), "Play fair.\nBe kind.", 5), 0);
  const Bytes before = ReadAll(path);
  ASSERT_EQ(DisclaimerFileSetAccepted(path.c_str(), 1), 0);
  Bytes after = ReadAll(path);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(Bytes(after.begin() + 12, after.begin() + 16), (Bytes{0, 0, 0, 1}));
  for (size_t i = 0; i < after.size(); ++i) {
    if (i < 12 || i > 15) {
      EXPECT_EQ(after[i], before[i]) << i;
    }
  }
  DisclaimerHeader h{};
  ASSERT_EQ(DisclaimerFileReadHeader(path.c_str(), &h), 0);
  EXPECT_EQ(h.version, 5u);
  EXPECT_EQ(h.accepted, 1u);
  ASSERT_EQ(DisclaimerFileSetAccepted(path.c_str(), 0), 0);
  EXPECT_EQ(ReadAll(path), before);
}

TEST(DisclaimerDocument, ShortOrDamagedDocumentsNeverReadPastTheFile) {
  ScratchDir dir("disc-damaged");
  const Bytes good = Document(3, "hello", 1);
  Bytes noNul = Header(3, 9, 0);
  noNul.insert(noNul.end(), {'h', 'e', 'l', 'l', 'o'});  // 21 bytes, no terminator
  Bytes hugeLength = Document(3, "hello", 0);
  StoreBe32(&hugeLength[8], 0xFFFFFFFFu);
  Bytes shortLength = Document(3, "hello", 0);
  StoreBe32(&shortLength[8], 2);
  Bytes zeroLength = Document(3, "hello", 0);
  StoreBe32(&zeroLength[8], 0);
  Bytes wrongMagic = good;
  wrongMagic[4] = 'X';  // the magic is not what makes a document
  struct Case {
    const char* name;
    Bytes bytes;
    bool header;
    std::string text;
  };
  const Case cases[] = {
      {"empty file", {}, false, "(none)"},
      {"16 bytes", Bytes(good.begin(), good.begin() + 16), false, "(none)"},
      {"19 bytes", Bytes(good.begin(), good.begin() + 19), false, "(none)"},
      {"good", good, true, "hello"},
      {"text without its NUL", noNul, true, "hello"},
      {"length far past the file", hugeLength, true, "hello"},
      {"length shorter than the text", shortLength, true, "he"},
      {"length 0", zeroLength, true, ""},
      {"wrong magic", wrongMagic, true, "hello"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("d.otx", c.bytes);
    DisclaimerHeader h{};
    EXPECT_EQ(DisclaimerFileReadHeader(path.c_str(), &h), c.header ? 0 : 14);
    EXPECT_EQ(TextOf(path), c.text);
    // A short document is left alone by the flag update.
    EXPECT_EQ(DisclaimerFileSetAccepted(path.c_str(), 1), c.header ? 0 : 14);
    if (!c.header) {
      EXPECT_EQ(ReadAll(path), c.bytes);
    }
  }
  DisclaimerHeader h{};
  EXPECT_EQ(DisclaimerFileReadHeader(dir.Path("missing.otx").c_str(), &h), 14);
  EXPECT_EQ(TextOf(dir.Path("missing.otx")), "(none)");
  EXPECT_EQ(DisclaimerFileSetAccepted(dir.Path("missing.otx").c_str(), 1), 14);
  EXPECT_FALSE(fs::exists(dir.Path("missing.otx")));
}

// Failures forced through POSIX limits and permissions.
#ifndef _WIN32
// Files in dir other than the document: a failed replace leaves none.
size_t OtherFiles(const std::string& dir) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename() != "disclaim.otx";
  return n;
}

TEST(DisclaimerDocument, FailedWriteLeavesTheOldDocumentWhole) {
  ScratchDir dir("disc-atomic");
  const std::string path = dir.Path("disclaim.otx");
  ASSERT_EQ(DisclaimerFileStore(path.c_str(), "old terms", 1), 0);
  ASSERT_EQ(DisclaimerFileSetAccepted(path.c_str(), 1), 0);
  const Bytes before = ReadAll(path);

  // The file size limit makes the write fail part way, as a full disk would.
  struct rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ErrorCode result = DisclaimerFileStore(path.c_str(), std::string(4000, 'n').c_str(), 2);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(result, 9);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(OtherFiles(dir.Path("")), 0u);
}

TEST(DisclaimerDocument, UnwritableDirectoryLeavesTheOldDocumentWhole) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ScratchDir dir("disc-readonly");
  const std::string path = dir.Path("disclaim.otx");
  ASSERT_EQ(DisclaimerFileStore(path.c_str(), "old terms", 1), 0);
  const Bytes before = ReadAll(path);
  ASSERT_EQ(chmod(dir.Path("").c_str(), 0555), 0);
  EXPECT_EQ(DisclaimerFileStore(path.c_str(), "new terms", 2), 9);
  chmod(dir.Path("").c_str(), 0755);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(OtherFiles(dir.Path("")), 0u);
}
#endif

// The program-wide functions work on data/Salvind/disclaim.otx under the
// current directory.
struct ProgramDirectory : ::testing::Test {
  void SetUp() override {
    saved = fs::current_path();
    fs::create_directories(fs::path(scratch.Path("")) / "data" / "Salvind");
    fs::current_path(scratch.Path(""));
  }
  void TearDown() override { fs::current_path(saved); }
  ScratchDir scratch{"disc-program"};
  fs::path saved;
};

TEST_F(ProgramDirectory, StateFollowsTheDocumentThroughItsLife) {
  g_disclaimer = {7, 7};
  DisclaimerReadState();
  EXPECT_EQ(g_disclaimer.localVersion, 0u);
  EXPECT_EQ(g_disclaimer.accepted, 0u);
  EXPECT_EQ(DisclaimerReadText(), nullptr);
  DisclaimerMarkAccepted();  // no document: nothing is made
  EXPECT_FALSE(fs::exists("data/Salvind/disclaim.otx"));

  DisclaimerStore("Terms v4", 4);
  DisclaimerReadState();
  EXPECT_EQ(g_disclaimer.localVersion, 4u);
  EXPECT_EQ(g_disclaimer.accepted, 0u);
  DisclaimerMarkAccepted();
  DisclaimerReadState();
  EXPECT_EQ(g_disclaimer.accepted, 1u);

  // A newer disclaimer from the server: stored, then the flag cleared.
  DisclaimerStore("Terms v5", 5);
  DisclaimerClearAccepted();
  DisclaimerReadState();
  EXPECT_EQ(g_disclaimer.localVersion, 5u);
  EXPECT_EQ(g_disclaimer.accepted, 0u);
  char* text = DisclaimerReadText();
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "Terms v5");
  MemFree(text);
}

// The document the build stages, read as the program reads it; its text is
// the source text with CR LF made LF and trailing line ends dropped.
TEST(DisclaimerDocument, StagedDocumentIsVersionOneNotAcceptedWithTheSourceText) {
  const std::string staged = std::string(SALVIND_STAGE_DIR) + "/data/Salvind/disclaim.otx";
  DisclaimerHeader h{};
  ASSERT_EQ(DisclaimerFileReadHeader(staged.c_str(), &h), 0);
  EXPECT_EQ(h.version, 1u);
  EXPECT_EQ(h.magic, kDisclaimerMagic);
  EXPECT_EQ(h.accepted, 0u);

  const Bytes raw = ReadAll(SALVIND_DISCLAIMER_TEXT);
  std::string source(raw.begin(), raw.end());
  std::string text;
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\r') {
      text += '\n';
      if (i + 1 < source.size() && source[i + 1] == '\n') ++i;
    } else {
      text += source[i];
    }
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(h.length, text.size() + 4);
  EXPECT_EQ(TextOf(staged), text);
}

}  // namespace
