// Shared fixture of the file-service tests: a fresh system root and handles that are
// closed again when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"

namespace filetest {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { handlesBefore_ = plat::OpenHandleCount(); }
  void TearDown() override {
    for (HANDLE h : open_) CloseHandle(h);
    open_.clear();
    EXPECT_EQ(plat::OpenHandleCount(), handlesBefore_) << "a handle was left open";
  }

  // Opens a file and keeps the handle for closing; INVALID_HANDLE_VALUE on failure with
  // the error in *err.
  HANDLE Open(const std::u16string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0,
              DWORD* err = nullptr) {
    SetLastError(0xDEAD);
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (err) *err = GetLastError();
    if (h != INVALID_HANDLE_VALUE) open_.push_back(h);
    return h;
  }
  // The error of an open that is expected to fail (ERROR_SUCCESS when it succeeded).
  DWORD OpenError(const std::u16string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
    DWORD err = 0;
    HANDLE h = Open(path, access, share, disposition, flags, &err);
    return h == INVALID_HANDLE_VALUE ? err : ERROR_SUCCESS;
  }
  void Close(HANDLE h) {
    for (auto it = open_.begin(); it != open_.end(); ++it)
      if (*it == h) {
        open_.erase(it);
        break;
      }
    EXPECT_TRUE(CloseHandle(h));
  }
  void Write(const std::u16string& path, const std::string& bytes) { root_.WriteFile(path, bytes); }
  std::string Read(const std::u16string& path) { return root_.ReadFile(path); }

  kovatest::TempRoot root_;

 private:
  std::vector<HANDLE> open_;
  std::size_t handlesBefore_ = 0;
};

inline ULONGLONG Value(const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }
inline FILETIME Ft(ULONGLONG v) { return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

}  // namespace filetest
