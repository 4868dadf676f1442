// The cache file beside the model description.
#include "model/model_cache_file.h"

#include <cstring>

#include "context/memory.h"
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
  FreeMem(name);
  return copy;
}
