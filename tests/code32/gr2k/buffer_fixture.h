// A rendering device without an engine or a printer: its allocation list, its record
// buffer and a recording write callback, for the record-buffer and block tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_stream.h"
#include "record_buffer.h"
#include "render_device.h"

namespace rendara::test {

// What the write callback saw: every piece, and the answers it is told to give.
struct WriteLog {
  std::vector<std::vector<BYTE>> pieces;
  int refuseAt = -1;       // the piece index that is refused (FALSE)
  int shortAt = -1;        // the piece index that reports one byte fewer
  HANDLE lastHandle = nullptr;

  std::vector<BYTE> Bytes() const {
    std::vector<BYTE> all;
    for (const auto& p : pieces) all.insert(all.end(), p.begin(), p.end());
    return all;
  }
};

inline WriteLog* g_log = nullptr;

inline BOOL RecordingWrite(HANDLE output, const void* bytes, DWORD length, DWORD* written) {
  WriteLog& log = *g_log;
  const int index = static_cast<int>(log.pieces.size());
  log.lastHandle = output;
  const auto* p = static_cast<const BYTE*>(bytes);
  log.pieces.emplace_back(p, p + length);
  *written = length;
  if (index == log.shortAt) *written = length - 1;
  return index == log.refuseAt ? FALSE : TRUE;
}

class BufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = &log_;
    heap_ = CreateDeviceHeap();
    ASSERT_NE(heap_, nullptr);
    device_ = static_cast<RenderDevice*>(DeviceAlloc(heap_, sizeof(RenderDevice)));
    ASSERT_NE(device_, nullptr);
    std::memset(static_cast<void*>(device_), 0, sizeof(RenderDevice));
    device_->magic1 = device_->magic2 = kRenderDeviceMagic;
    device_->heap = heap_;
    records().owner = device_;
    ResetRecordBuffer(&records());
    Bind();
  }
  void TearDown() override {
    DestroyDeviceHeap(heap_);
    g_log = nullptr;
  }

  // A bound output: a module handle (never dereferenced) and the recording callback.
  void Bind() {
    records().outputModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x1000));
    records().outputHandle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x77));
    records().write = RecordingWrite;
  }

  // A record of n bytes filled with a byte.
  BYTE* Record(DWORD n, BYTE fill) {
    BYTE* r = AllocRecord(&records(), n);
    if (r) std::memset(r, fill, n);
    return r;
  }

  RecordBuffer& records() { return device_->records; }

  WriteLog log_;
  DeviceHeap* heap_ = nullptr;
  RenderDevice* device_ = nullptr;
};

}  // namespace rendara::test
