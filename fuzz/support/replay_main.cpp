// Runs a fuzz target's LLVMFuzzerTestOneInput over kept inputs without
// libFuzzer, so the ordinary suite (any compiler, with or without the
// sanitizers) replays every input that ever failed. Arguments are files or
// folders; a folder's files run in name order, hidden files skipped. A
// finding aborts (under the sanitizers) or fails the target's own check.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool Hidden(const fs::path& path) { return path.filename().string().starts_with("."); }

std::vector<fs::path> Inputs(const fs::path& argument) {
  std::vector<fs::path> files;
  std::error_code error;
  if (fs::is_directory(argument, error)) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(argument, error)) {
      if (entry.is_regular_file() && !Hidden(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  } else if (fs::is_regular_file(argument, error)) {
    files.push_back(argument);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    // A folder not made yet (a target without findings) holds nothing to replay.
    for (const fs::path& file : Inputs(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 2;
      }
      // A valid pointer even for an empty input, as libFuzzer passes one.
      static const uint8_t kEmpty = 0;
      LLVMFuzzerTestOneInput(bytes.empty() ? &kEmpty : bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return 0;
}
