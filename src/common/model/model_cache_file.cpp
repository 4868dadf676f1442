// The cache file beside the model description.
#include "model/model_cache_file.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "base/memory.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/security.h"

namespace {

constexpr std::size_t kMaxPath = 260;

struct FileHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit FileHandle(HANDLE handle) : h(handle) {}
  ~FileHandle() {
    if (ok()) CloseHandle(h);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

HANDLE OpenForRead(const WCHAR* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The stamps of a data file and of its cache file: attributes, times and sizes.
struct Stamps {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  WIN32_FILE_ATTRIBUTE_DATA cache{};
};

bool SameFileTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool SameStamp(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
  return a.dwFileAttributes == b.dwFileAttributes && SameFileTime(a.ftCreationTime, b.ftCreationTime) &&
         SameFileTime(a.ftLastWriteTime, b.ftLastWriteTime) && a.nFileSizeHigh == b.nFileSizeHigh &&
         a.nFileSizeLow == b.nFileSizeLow;
}

bool SameStamps(const Stamps& a, const Stamps& b) { return SameStamp(a.data, b.data) && SameStamp(a.cache, b.cache); }

// Both files are there and the cache is not older than the data file.
bool TakeStamps(const WCHAR* dataFilePath, const WCHAR* cacheName, Stamps* out) {
  return GetFileAttributesExW(dataFilePath, GetFileExInfoStandard, &out->data) &&
         GetFileAttributesExW(cacheName, GetFileExInfoStandard, &out->cache) &&
         !(out->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(out->cache.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         CompareFileTime(&out->cache.ftLastWriteTime, &out->data.ftLastWriteTime) >= 0;
}

// Cache files read lately, each with the stamps both files had around the read: while the
// stamps stay the same the bytes are copied from memory instead of opening the two files
// again. A file that is rewritten, replaced, touched or removed changes its stamps.
class KeptCacheFiles {
 public:
  BYTE* Copy(const WCHAR* dataFilePath, const Stamps& now, DWORD* size) {
    std::lock_guard<std::mutex> g(lock_);
    for (const Entry& e : entries_) {
      if (e.path != dataFilePath || !SameStamps(e.stamps, now)) continue;
      auto* copy = static_cast<BYTE*>(AllocMem(static_cast<DWORD>(e.bytes.size())));
      if (!copy) return nullptr;
      std::memcpy(copy, e.bytes.data(), e.bytes.size());
      *size = static_cast<DWORD>(e.bytes.size());
      return copy;
    }
    return nullptr;
  }
  void Keep(const WCHAR* dataFilePath, const Stamps& stamps, const BYTE* bytes, DWORD size) {
    if (size > kMaxKeptBytes) return;
    std::lock_guard<std::mutex> g(lock_);
    Entry* slot = nullptr;
    for (Entry& e : entries_)
      if (e.path == dataFilePath) slot = &e;
    if (!slot && entries_.size() < kEntries) slot = &entries_.emplace_back();
    if (!slot) slot = &entries_[next_++ % kEntries];
    slot->path = dataFilePath;
    slot->stamps = stamps;
    slot->bytes.assign(bytes, bytes + size);
  }

 private:
  static constexpr std::size_t kEntries = 4;
  static constexpr DWORD kMaxKeptBytes = 4u << 20;
  struct Entry {
    std::u16string path;
    Stamps stamps;
    std::vector<BYTE> bytes;
  };
  std::mutex lock_;
  std::vector<Entry> entries_;
  std::size_t next_ = 0;
};

KeptCacheFiles& Kept() {
  // An object, not a pointer that is never freed: the libraries that hold this code are
  // unloaded, and their kept files go with them.
  static KeptCacheFiles kept;
  return kept;
}

}  // namespace

WCHAR* MakeModelCacheName(const WCHAR* dataFilePath) {
  if (!dataFilePath) return nullptr;
  std::size_t n = 0, dot = static_cast<std::size_t>(-1);
  for (; dataFilePath[n]; ++n) {
    if (n >= kMaxPath) return nullptr;
    if (dataFilePath[n] == u'.') dot = n;
  }
  const std::size_t stem = dot == static_cast<std::size_t>(-1) ? n : dot;
  const std::size_t length = stem + 4;  // ".BCS"
  if (length >= kMaxPath) return nullptr;
  auto* name = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>((length + 1) * sizeof(WCHAR))));
  if (!name) return nullptr;
  std::memcpy(name, dataFilePath, stem * sizeof(WCHAR));
  const WCHAR tail[] = u".BCS";
  std::memcpy(name + stem, tail, sizeof tail);
  return name;
}

void WriteModelCacheFile(const ModelImage* image, const WCHAR* dataFilePath) {
  if (!image || !dataFilePath) return;
  WCHAR* name = MakeModelCacheName(dataFilePath);
  if (!name) return;
  FileHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  FreeMem(name);
  if (!file.ok()) return;
  DWORD written = 0;
  WriteFile(file.h, ImageBytes(image), ImageSize(image), &written, nullptr);
}

BYTE* ReadModelCacheFile(const WCHAR* dataFilePath, DWORD* size) {
  if (size) *size = 0;
  if (!dataFilePath || !size) return nullptr;
  WCHAR* name = MakeModelCacheName(dataFilePath);
  if (!name) return nullptr;
  Stamps before;
  const bool stamped = TakeStamps(dataFilePath, name, &before);
  if (stamped) {
    if (BYTE* kept = Kept().Copy(dataFilePath, before, size)) {
      FreeMem(name);
      return kept;
    }
  }
  BYTE* copy = nullptr;
  {
    FileHandle data(OpenForRead(dataFilePath));
    FileHandle cache(OpenForRead(name));
    FILETIME dataTime{}, cacheTime{};
    const bool fresh = data.ok() && cache.ok() && GetFileTime(data.h, nullptr, nullptr, &dataTime) &&
                       GetFileTime(cache.h, nullptr, nullptr, &cacheTime) &&
                       CompareFileTime(&cacheTime, &dataTime) >= 0;
    DWORD high = 0;
    const DWORD length = fresh ? GetFileSize(cache.h, &high) : 0;
    if (fresh && high == 0 && length != INVALID_FILE_SIZE && length > kModelHeaderSize) {
      if (HANDLE mapping = CreateFileMappingW(cache.h, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
        if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
          copy = static_cast<BYTE*>(AllocMem(length));
          if (copy) {
            std::memcpy(copy, view, length);
            if (LoadU32(copy + kHdrTotalSize) != length) {
              FreeMem(copy);
              copy = nullptr;
            } else {
              *size = length;
            }
          }
          UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
      }
    }
  }
  // Kept only when neither file changed while it was read.
  Stamps after;
  if (copy && stamped && TakeStamps(dataFilePath, name, &after) && SameStamps(before, after))
    Kept().Keep(dataFilePath, before, copy, *size);
  FreeMem(name);
  return copy;
}
