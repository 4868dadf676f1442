#include "page_records.h"

namespace rendara {

BYTE* EmitPageStart(RecordBuffer* buffer, DWORD width, DWORD height, WORD xDpi, WORD yDpi) {
  BYTE* record = AllocRecord(buffer, kPageStartLength);
  if (!record) return nullptr;
  record[0] = kOpPageStart;
  record[1] = 0;
  PutU16(record + 2, 0);
  PutU32(record + 4, width);
  PutU32(record + 8, height);
  PutU16(record + 12, xDpi);
  PutU16(record + 14, yDpi);
  return record;
}

BYTE* EmitPageEnd(RecordBuffer* buffer) {
  BYTE* record = AllocRecord(buffer, kPageEndLength);
  if (!record) return nullptr;
  record[0] = kOpPageEnd;
  record[1] = record[2] = record[3] = 0;
  return record;
}

}  // namespace rendara
