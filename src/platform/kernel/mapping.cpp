// File mapping: CreateFileMappingW, MapViewOfFile, UnmapViewOfFile.
//
// A mapping object holds the open file it was made from, so the file stays open (with its
// access and sharing) after its handle is closed, and every view keeps its mapping object
// alive until it is unmapped, as on Windows. While a file of this process is mapped it
// cannot be cut shorter or deleted.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

#include "kernel/files_internal.h"
#include "win/errors.h"

namespace plat {
namespace {

constexpr ULONGLONG kAllocationGranularity = 65536;

std::mutex& MappedLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
std::map<std::pair<dev_t, ino_t>, int>& MappedFiles() {
  static auto* m = new std::map<std::pair<dev_t, ino_t>, int>;
  return *m;
}

class MappingObject : public KernelObject {
 public:
  MappingObject() = default;
  MappingObject(const MappingObject&) = delete;
  MappingObject& operator=(const MappingObject&) = delete;
  ~MappingObject() override {
    if (registered) {
      std::lock_guard<std::mutex> g(MappedLock());
      auto it = MappedFiles().find({dev, ino});
      if (it != MappedFiles().end() && --it->second <= 0) MappedFiles().erase(it);
    }
    if (memoryFd >= 0) ::close(memoryFd);
  }
  ObjectKind Kind() const override { return ObjectKind::Mapping; }

  void Register() {
    std::lock_guard<std::mutex> g(MappedLock());
    ++MappedFiles()[{dev, ino}];
    registered = true;
  }

  int Fd() const { return file ? file->fd : memoryFd; }

  std::shared_ptr<FileObject> file;  // the mapped file; null for a memory-backed section
  int memoryFd = -1;
  ULONGLONG size = 0;
  DWORD protect = 0;
  bool registered = false;
  dev_t dev = 0;
  ino_t ino = 0;
};

struct View {
  std::size_t length;
  std::shared_ptr<MappingObject> mapping;
  bool keepable;       // a read-only shared view of a file, small enough to keep
  ULONGLONG offset;
};

// Read-only views of files that were unmapped, kept mapped for the next view of the same
// bytes of the same file: mapping and unmapping cost far more than the reads of a small
// file, and a model cache is viewed once by every context. A kept view holds neither the
// file nor its mapping object (the file is closed, its sharing released, as after any
// unmap); it shows the file's current bytes as any shared view does, and goes when the file
// is to be cut shorter or deleted. With ViewLock held.
struct KeptView {
  std::uintptr_t address;
  std::size_t length;
  dev_t dev;
  ino_t ino;
  ULONGLONG offset;
};
constexpr std::size_t kMaxKeptViews = 8;
constexpr ULONGLONG kMaxKeptView = 1u << 20;

std::mutex& ViewLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
std::map<std::uintptr_t, View>& Views() {
  static auto* v = new std::map<std::uintptr_t, View>;
  return *v;
}

std::vector<KeptView>& KeptViews() {
  static auto* v = new std::vector<KeptView>;
  return *v;
}

bool WritableProtection(DWORD p) { return p == PAGE_READWRITE || p == PAGE_EXECUTE_READWRITE; }
bool ExecutableProtection(DWORD p) { return p == PAGE_EXECUTE_READ || p == PAGE_EXECUTE_READWRITE || p == PAGE_EXECUTE_WRITECOPY; }

HANDLE Fail(DWORD err) {
  SetLastError(err);
  return nullptr;
}

}  // namespace

bool IsFileMapped(dev_t dev, ino_t ino) {
  {
    // Views kept after their unmap do not hold the file: they go now.
    std::lock_guard<std::mutex> g(ViewLock());
    auto& kept = KeptViews();
    for (auto it = kept.begin(); it != kept.end();) {
      if (it->dev == dev && it->ino == ino) {
        ::munmap(reinterpret_cast<void*>(it->address), it->length);
        it = kept.erase(it);
      } else {
        ++it;
      }
    }
  }
  std::lock_guard<std::mutex> g(MappedLock());
  return MappedFiles().count({dev, ino}) != 0;
}

}  // namespace plat

using namespace plat;

// Unnamed mappings only: a named section shared between processes is not provided, and a
// name is refused with ERROR_INVALID_PARAMETER rather than silently not shared.
KOVA_EXPORT HANDLE CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes, DWORD flProtect,
                                      DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCWSTR lpName) {
  (void)lpFileMappingAttributes;
  try {
    if (lpName && *lpName) return Fail(ERROR_INVALID_PARAMETER);
    DWORD prot = flProtect & 0xFF;
    DWORD section = flProtect & ~0xFFu;
    if (section != 0 && section != SEC_COMMIT) return Fail(ERROR_INVALID_PARAMETER);
    if (prot != PAGE_READONLY && prot != PAGE_READWRITE && prot != PAGE_WRITECOPY && prot != PAGE_EXECUTE_READ &&
        prot != PAGE_EXECUTE_READWRITE && prot != PAGE_EXECUTE_WRITECOPY)
      return Fail(ERROR_INVALID_PARAMETER);
    ULONGLONG want = (static_cast<ULONGLONG>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
    if (want > static_cast<ULONGLONG>(SIZE_MAX / 2)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    auto mapping = std::make_shared<MappingObject>();
    mapping->protect = prot;
    if (hFile == INVALID_HANDLE_VALUE) {
      // Backed by memory alone.
      if (want == 0) return Fail(ERROR_INVALID_PARAMETER);
      int fd = ::memfd_create("kova-section", MFD_CLOEXEC);
      if (fd < 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);
      mapping->memoryFd = fd;
      if (::ftruncate(fd, static_cast<off_t>(want)) != 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);
      mapping->size = want;
    } else {
      auto f = FileFromHandle(hFile);
      if (!f) return nullptr;
      if (f->directory || !f->CanRead()) return Fail(ERROR_ACCESS_DENIED);
      if (WritableProtection(prot) && !(f->access & FILE_WRITE_DATA)) return Fail(ERROR_ACCESS_DENIED);
      if (ExecutableProtection(prot) && !(f->access & FILE_EXECUTE)) return Fail(ERROR_ACCESS_DENIED);
      struct stat st;
      if (::fstat(f->fd, &st) != 0) return Fail(ErrnoToWin(errno));
      ULONGLONG size = static_cast<ULONGLONG>(st.st_size);
      if (want == 0) {
        if (size == 0) return Fail(ERROR_FILE_INVALID);
        want = size;
      } else if (want > size) {
        if (!WritableProtection(prot)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
        if (::ftruncate(f->fd, static_cast<off_t>(want)) != 0) return Fail(ERROR_DISK_FULL);
      }
      mapping->file = f;
      mapping->size = want;
      mapping->dev = st.st_dev;
      mapping->ino = st.st_ino;
      mapping->Register();
    }
    HANDLE h = InsertHandle(mapping);
    SetLastError(ERROR_SUCCESS);
    return h;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                                 DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
  try {
    auto mapping = LookupHandleAs<MappingObject>(hFileMappingObject, ObjectKind::Mapping);
    if (!mapping) return Fail(ERROR_INVALID_HANDLE);
    DWORD access = dwDesiredAccess == FILE_MAP_ALL_ACCESS ? (FILE_MAP_READ | FILE_MAP_WRITE) : dwDesiredAccess;
    if (access == 0 || (access & ~(FILE_MAP_COPY | FILE_MAP_WRITE | FILE_MAP_READ | FILE_MAP_EXECUTE)))
      return Fail(ERROR_INVALID_PARAMETER);
    int prot = PROT_READ;
    int flags = MAP_SHARED;
    if (access & FILE_MAP_COPY) {
      prot |= PROT_WRITE;
      flags = MAP_PRIVATE;
    } else if (access & FILE_MAP_WRITE) {
      if (!WritableProtection(mapping->protect)) return Fail(ERROR_ACCESS_DENIED);
      prot |= PROT_WRITE;
    }
    if (access & FILE_MAP_EXECUTE) {
      if (!ExecutableProtection(mapping->protect)) return Fail(ERROR_ACCESS_DENIED);
      prot |= PROT_EXEC;
    }
    ULONGLONG offset = (static_cast<ULONGLONG>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
    if (offset % kAllocationGranularity) return Fail(ERROR_MAPPED_ALIGNMENT);
    if (offset >= mapping->size) return Fail(ERROR_ACCESS_DENIED);
    ULONGLONG length = dwNumberOfBytesToMap ? dwNumberOfBytesToMap : mapping->size - offset;
    if (length > mapping->size - offset) return Fail(ERROR_ACCESS_DENIED);
    View view{static_cast<std::size_t>(length), mapping, false, offset};
    view.keepable = mapping->file && prot == PROT_READ && flags == MAP_SHARED && length <= kMaxKeptView;
    if (view.keepable) {
      std::lock_guard<std::mutex> g(ViewLock());
      auto& kept = KeptViews();
      for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->dev != mapping->dev || it->ino != mapping->ino || it->offset != offset || it->length != view.length)
          continue;
        const std::uintptr_t address = it->address;
        kept.erase(it);
        Views()[address] = std::move(view);
        return reinterpret_cast<void*>(address);
      }
    }
    void* p = ::mmap(nullptr, static_cast<std::size_t>(length), prot, flags, mapping->Fd(), static_cast<off_t>(offset));
    if (p == MAP_FAILED) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    {
      std::lock_guard<std::mutex> g(ViewLock());
      Views()[reinterpret_cast<std::uintptr_t>(p)] = std::move(view);
    }
    return p;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL UnmapViewOfFile(LPCVOID lpBaseAddress) {
  View view{};
  {
    std::lock_guard<std::mutex> g(ViewLock());
    auto it = Views().find(reinterpret_cast<std::uintptr_t>(lpBaseAddress));
    if (it == Views().end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    view = std::move(it->second);
    Views().erase(it);
    if (view.keepable) {
      // Kept for the next view of the same bytes; the oldest kept view goes.
      auto& kept = KeptViews();
      if (kept.size() >= kMaxKeptViews) {
        ::munmap(reinterpret_cast<void*>(kept.front().address), kept.front().length);
        kept.erase(kept.begin());
      }
      kept.push_back(KeptView{reinterpret_cast<std::uintptr_t>(lpBaseAddress), view.length, view.mapping->dev,
                              view.mapping->ino, view.offset});
      return TRUE;
    }
  }
  ::munmap(const_cast<void*>(lpBaseAddress), view.length);
  return TRUE;  // the mapping object goes with the last view when its handle is closed
}
