// The record buffer of a rendering device and the output blocks.
//
// Drawing calls ask the buffer for room and encode their records into it; the records go
// out as 0xF5 blocks when a page is sent or once more than 1 MB is buffered. The job and
// page text blocks are written straight through. Every byte leaves through WriteOutput,
// in pieces of at most 4096 bytes, through the write callback of the bound output.
//
// Wire format of a block: u32 type, u32 payload length, payload; little-endian, no padding
// between blocks and no other framing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/types.h"

struct DriverContext;

namespace rendara {

struct RenderDevice;

// Block types.
constexpr DWORD kBlockEmpty = 0xF0;         // after every page header, no payload
constexpr DWORD kBlockPageTrailer = 0xF1;   // PageEnd text
constexpr DWORD kBlockJobText = 0xF3;       // JobStart text, job name, notification
constexpr DWORD kBlockPageHeader = 0xF4;    // PageStart text
constexpr DWORD kBlockRecords = 0xF5;       // drawing records
constexpr DWORD kBlockSettings = 0xF7;      // the job's device-mode

struct OutputBlockHeader {
  std::uint32_t type;
  std::uint32_t length;
};
static_assert(sizeof(OutputBlockHeader) == 8, "a block header is 8 bytes");
static_assert(offsetof(OutputBlockHeader, length) == 4);

constexpr DWORD kChunkDataBytes = 10240;
constexpr DWORD kFlushThreshold = 0x100000;  // flush once more than this is buffered
constexpr DWORD kWritePiece = 4096;

// The write callback of the bound output: (output handle, bytes, length, out written).
using WriteCallback = BOOL (*)(HANDLE output, const void* bytes, DWORD length, DWORD* written);

struct alignas(std::max_align_t) RecordChunk {
  RecordChunk* next;
  BYTE* position;  // where the next record goes
  BYTE* end;       // one past the last data byte
  BYTE* Data() { return reinterpret_cast<BYTE*>(this + 1); }
};

// The embedded first chunk with its data bytes.
struct EmbeddedChunk {
  RecordChunk head;
  alignas(std::max_align_t) BYTE data[kChunkDataBytes];
};
static_assert(offsetof(EmbeddedChunk, data) == sizeof(RecordChunk), "chunk data follows the chunk head");

struct RecordBuffer {
  RenderDevice* owner;
  EmbeddedChunk first;
  RecordChunk* head;  // always &first.head
  RecordChunk* tail;
  DWORD bytesBuffered;
  HMODULE outputModule;  // the loaded output or filter DLL
  HANDLE outputHandle;
  WriteCallback write;
  DWORD flushes;  // flushes that wrote buffered records out
};

// Where the buffer stood, so that the records begun after it can be taken out again.
struct RecordMark {
  RecordChunk* tail;
  BYTE* position;
  DWORD bytesBuffered;
  DWORD flushes;
};
RecordMark MarkRecords(const RecordBuffer* buffer);
// Takes out every record buffered since the mark. While none of them went out the buffer
// is put back where it stood; once a flush wrote a part of them the stream cannot be
// mended, and the device's output is failed so that nothing more follows.
void DropToMark(RecordBuffer* buffer, const RecordMark& mark);

// What the buffer reads of its owner and tells it; the device supplies them.
struct DeviceHeap;
DeviceHeap* OwnerHeap(const RenderDevice* owner);
// The owner is in raw mode and on its first page: no 0xF5 block goes out.
bool OwnerOnRawFirstPage(const RenderDevice* owner);
void OwnerSetOutputFailed(RenderDevice* owner);
bool OwnerOutputFailed(const RenderDevice* owner);

void ResetRecordBuffer(RecordBuffer* buffer);
// The slow road of AllocRecord: a new chunk, after the flush the threshold asks for.
BYTE* AllocRecordInNewChunk(RecordBuffer* buffer, DWORD n);
// n bytes at the tail (not zero-filled), or null when a chunk cannot be had or the flush
// that the threshold asks for fails. A record that fits the tail chunk costs a bounds check
// and two additions; a record that would reach the chunk's last byte goes to a new chunk.
inline BYTE* AllocRecord(RecordBuffer* buffer, DWORD n) {
  RecordChunk* tail = buffer->tail;
  if (static_cast<std::size_t>(tail->end - tail->position) > n) [[likely]] {
    BYTE* record = tail->position;
    tail->position += n;
    buffer->bytesBuffered += n;
    return record;
  }
  return AllocRecordInNewChunk(buffer, n);
}
// Sets the tail's write position to end rounded up to 4; the bytes buffered stay.
void SetRecordEnd(RecordBuffer* buffer, BYTE* end);
// Once a write of the device has failed, nothing more is written: every later call
// answers FALSE without reaching the output.
BOOL WriteOutput(RecordBuffer* buffer, const void* bytes, DWORD n);
// Writes the header of a block of length payload bytes.
BOOL WriteBlockHeader(RecordBuffer* buffer, DWORD type, DWORD length);
BOOL WriteChunkBlocks(RecordBuffer* buffer);
void FreeChunks(RecordBuffer* buffer);
BOOL FlushRecords(RecordBuffer* buffer);
// Appends one record made of the caller's n bytes and flushes: the output, the buffer and
// its flush count end as AllocRecord, a copy of the bytes and FlushRecords leave them. A
// record that fits the tail chunk is copied there; one that needs a chunk of its own goes
// from the caller's bytes to the output after its block header, without being buffered.
// FALSE when n is 0, a write fails, or a small record finds no room.
BOOL WriteRecordAndFlush(RecordBuffer* buffer, const void* bytes, DWORD n);

// A text source: called with (context, 0, null, out size) for the size, then with
// (context, size, buffer, out written) for the text; a negative result is a failure.
using TextSource = std::int32_t (*)(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count);
BOOL WriteTextBlock(RecordBuffer* buffer, DriverContext* context, DWORD type, TextSource source);
BOOL WriteJobHeaderBlock(RecordBuffer* buffer, DriverContext* context);
BOOL WritePageHeaderBlocks(RecordBuffer* buffer, DriverContext* context);
BOOL WritePageTrailerBlock(RecordBuffer* buffer, DriverContext* context);

}  // namespace rendara
