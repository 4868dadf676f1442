// A cache file read once is served from memory only while neither file changed: every
// change of the cache file or of the data file is seen at the next read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "base/memory.h"
#include "model/model_cache_file.h"
#include "model/model_image.h"
#include "test_root.h"

namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kData = u"C:\\drv\\KEPT.KPD";
constexpr const char16_t* kCache = u"C:\\drv\\KEPT.BCS";

// Bytes that pass the reader's own check: the header's total size equals the length.
std::string CacheBytes(char fill) {
  std::string b(kModelHeaderSize + 64, fill);
  StoreU32(reinterpret_cast<BYTE*>(b.data()) + kHdrTotalSize, static_cast<DWORD>(b.size()));
  return b;
}

class KeptCacheFile : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.WriteFile(kData, "*FileVersion: \"9.02\"\r\n");
    WriteCache(CacheBytes('a'), 10);
  }
  // Writes the cache file and moves its last-write time by seconds against the data file.
  void WriteCache(const std::string& bytes, int seconds) {
    root_.WriteFile(kCache, bytes);
    const fs::path data = root_.HostPath(kData);
    fs::last_write_time(root_.HostPath(kCache), fs::last_write_time(data) + std::chrono::seconds(seconds));
  }
  std::string Read() {
    DWORD size = 0;
    BYTE* copy = ReadModelCacheFile(kData, &size);
    std::string out = copy ? std::string(reinterpret_cast<const char*>(copy), size) : std::string("none");
    FreeMem(copy);
    return out;
  }
  kovatest::TempRoot root_;
};

TEST_F(KeptCacheFile, EveryChangeOfEitherFileIsSeenAtTheNextRead) {
  EXPECT_EQ(Read(), CacheBytes('a'));
  EXPECT_EQ(Read(), CacheBytes('a'));  // the second read may come from memory
  // The same size, other bytes, a later time.
  WriteCache(CacheBytes('b'), 20);
  EXPECT_EQ(Read(), CacheBytes('b'));
  // The same bytes again, but the data file is now newer than the cache.
  fs::last_write_time(root_.HostPath(kData), fs::last_write_time(root_.HostPath(kCache)) + std::chrono::seconds(5));
  EXPECT_EQ(Read(), "none");
  WriteCache(CacheBytes('c'), 30);
  EXPECT_EQ(Read(), CacheBytes('c'));
  // The cache file removed, then the data file removed.
  fs::remove(root_.HostPath(kCache));
  EXPECT_EQ(Read(), "none");
  WriteCache(CacheBytes('d'), 40);
  EXPECT_EQ(Read(), CacheBytes('d'));
  fs::remove(root_.HostPath(kData));
  EXPECT_EQ(Read(), "none");
}

TEST_F(KeptCacheFile, ACopyIsTheCallersOwn) {
  DWORD size = 0;
  BYTE* first = ReadModelCacheFile(kData, &size);
  ASSERT_NE(first, nullptr);
  first[100] = 'x';  // the caller may change its copy
  FreeMem(first);
  EXPECT_EQ(Read(), CacheBytes('a'));
}

}  // namespace
