#include "record_buffer.h"

#include <cstring>

#include "device_heap.h"
#include "header_text.h"
#include "page_records.h"

namespace rendara {

namespace {

BYTE* ChunkData(RecordChunk* chunk) { return chunk->Data(); }

}  // namespace

void ResetRecordBuffer(RecordBuffer* buffer) {
  RecordChunk* first = &buffer->first.head;
  first->next = nullptr;
  first->position = ChunkData(first);
  first->end = first->position + kChunkDataBytes;
  buffer->head = first;
  buffer->tail = first;
  buffer->bytesBuffered = 0;
}

BYTE* AllocRecordInNewChunk(RecordBuffer* buffer, DWORD n) {
  RecordChunk* tail = buffer->tail;
  // A record that would reach the chunk's last byte goes to a new chunk as well.
  if (static_cast<std::size_t>(tail->end - tail->position) <= n) {
    if (buffer->bytesBuffered > kFlushThreshold && !FlushRecords(buffer)) return nullptr;
    if (n == 0) return nullptr;
    const std::size_t capacity = (static_cast<std::size_t>(n - 1) / kChunkDataBytes + 1) * kChunkDataBytes;
    auto* chunk = static_cast<RecordChunk*>(DeviceAlloc(OwnerHeap(buffer->owner), sizeof(RecordChunk) + capacity));
    if (!chunk) return nullptr;
    chunk->next = nullptr;
    chunk->position = ChunkData(chunk);
    chunk->end = chunk->position + capacity;
    buffer->tail->next = chunk;
    buffer->tail = chunk;
    tail = chunk;
  }
  BYTE* record = tail->position;
  tail->position += n;
  buffer->bytesBuffered += n;
  return record;
}

void SetRecordEnd(RecordBuffer* buffer, BYTE* end) {
  RecordChunk* tail = buffer->tail;
  BYTE* start = ChunkData(tail);
  if (end < start || end > tail->end) return;
  std::size_t used = static_cast<std::size_t>(end - start);
  used = (used + 3) & ~static_cast<std::size_t>(3);
  if (used > static_cast<std::size_t>(tail->end - start)) used = static_cast<std::size_t>(tail->end - start);
  tail->position = start + used;
}

BOOL WriteOutput(RecordBuffer* buffer, const void* bytes, DWORD n) {
  const BYTE* p = static_cast<const BYTE*>(bytes);
  if (n > 0 && OwnerOutputFailed(buffer->owner)) return FALSE;
  while (n > 0) {
    const DWORD piece = n <= kWritePiece ? n : kWritePiece;
    if (buffer->outputModule && buffer->write) {
      DWORD written = 0;
      if (!buffer->write(buffer->outputHandle, p, piece, &written) || written != piece) {
        OwnerSetOutputFailed(buffer->owner);
        return FALSE;
      }
    }
    p += piece;
    n -= piece;
  }
  return TRUE;
}

BOOL WriteBlockHeader(RecordBuffer* buffer, DWORD type, DWORD length) {
  BYTE header[8];
  PutU32(header, type);
  PutU32(header + 4, length);
  return WriteOutput(buffer, header, sizeof header);
}

BOOL WriteChunkBlocks(RecordBuffer* buffer) {
  for (RecordChunk* chunk = buffer->head; chunk; chunk = chunk->next) {
    if (OwnerOnRawFirstPage(buffer->owner)) return TRUE;
    const DWORD used = static_cast<DWORD>(chunk->position - ChunkData(chunk));
    if (!WriteBlockHeader(buffer, kBlockRecords, used)) return FALSE;
    if (!WriteOutput(buffer, ChunkData(chunk), used)) return FALSE;
  }
  return TRUE;
}

void FreeChunks(RecordBuffer* buffer) {
  RecordChunk* chunk = buffer->head ? buffer->head->next : nullptr;
  DeviceHeap* heap = OwnerHeap(buffer->owner);
  while (chunk) {
    RecordChunk* next = chunk->next;
    DeviceFree(heap, chunk);
    chunk = next;
  }
  if (buffer->head) buffer->head->next = nullptr;
}

BOOL FlushRecords(RecordBuffer* buffer) {
  if (buffer->bytesBuffered == 0) return TRUE;
  const BOOL result = WriteChunkBlocks(buffer);
  FreeChunks(buffer);
  ResetRecordBuffer(buffer);
  ++buffer->flushes;
  return result;
}

BOOL WriteRecordAndFlush(RecordBuffer* buffer, const void* bytes, DWORD n) {
  if (n == 0 || !bytes) return FALSE;
  if (static_cast<std::size_t>(buffer->tail->end - buffer->tail->position) > n) {
    BYTE* record = AllocRecord(buffer, n);
    if (!record) return FALSE;
    std::memcpy(record, bytes, n);
    return FlushRecords(buffer);
  }
  // The buffered road would flush here first when the threshold is passed, and then put
  // the record in a chunk after every chunk there is: the chunks go out as their blocks,
  // then the record as the block of its own chunk, which holds nothing else.
  if (buffer->bytesBuffered > kFlushThreshold && !FlushRecords(buffer)) return FALSE;
  BOOL result = WriteChunkBlocks(buffer);
  if (result && !OwnerOnRawFirstPage(buffer->owner)) {
    result = WriteBlockHeader(buffer, kBlockRecords, n) && WriteOutput(buffer, bytes, n);
  }
  FreeChunks(buffer);
  ResetRecordBuffer(buffer);
  ++buffer->flushes;
  return result;
}

RecordMark MarkRecords(const RecordBuffer* buffer) {
  return {buffer->tail, buffer->tail->position, buffer->bytesBuffered, buffer->flushes};
}

void DropToMark(RecordBuffer* buffer, const RecordMark& mark) {
  if (buffer->flushes != mark.flushes) {
    OwnerSetOutputFailed(buffer->owner);
    return;
  }
  DeviceHeap* heap = OwnerHeap(buffer->owner);
  RecordChunk* chunk = mark.tail->next;
  while (chunk) {
    RecordChunk* next = chunk->next;
    DeviceFree(heap, chunk);
    chunk = next;
  }
  mark.tail->next = nullptr;
  mark.tail->position = mark.position;
  buffer->tail = mark.tail;
  buffer->bytesBuffered = mark.bytesBuffered;
}

BOOL WriteTextBlock(RecordBuffer* buffer, DriverContext* context, DWORD type, TextSource source) {
  DWORD size = 0;
  if (!source || source(context, 0, nullptr, &size) < 0) return FALSE;
  if (size > 0xFFFFFFFFu - 8) return FALSE;
  auto* block = static_cast<BYTE*>(DeviceAlloc(OwnerHeap(buffer->owner), static_cast<std::size_t>(size) + 8));
  if (!block) return FALSE;
  PutU32(block, type);
  PutU32(block + 4, size);
  // The payload is cleared first, so that a source that writes less than it announced
  // leaves zeros rather than stale bytes.
  std::memset(block + 8, 0, size);
  DWORD written = 0;
  BOOL result = FALSE;
  if (source(context, size, block + 8, &written) >= 0) result = WriteOutput(buffer, block, size + 8);
  DeviceFree(OwnerHeap(buffer->owner), block);
  return result;
}

BOOL WriteJobHeaderBlock(RecordBuffer* buffer, DriverContext* context) {
  return WriteTextBlock(buffer, context, kBlockJobText, BuildJobStartText);
}

BOOL WritePageHeaderBlocks(RecordBuffer* buffer, DriverContext* context) {
  if (!WriteTextBlock(buffer, context, kBlockPageHeader, BuildPageStartText)) return FALSE;
  return WriteBlockHeader(buffer, kBlockEmpty, 0);
}

BOOL WritePageTrailerBlock(RecordBuffer* buffer, DriverContext* context) {
  return WriteTextBlock(buffer, context, kBlockPageTrailer, BuildPageEndText);
}

}  // namespace rendara
