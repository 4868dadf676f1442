// The capability items' engine: one capability run with its preconditions, and the record
// that collects in one call the answers of every capability of a settable status item.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Runs one available capability: its row, the printer opened for the call, the field and
// terminal-server preconditions, the handler, and the last-error rule.
std::int32_t DispatchCapability(DriverContext* context, DWORD id, void* buffer);

// A new capability record (its address, below 2 GiB, as the answer) filled from the
// capabilities of every status item set in the availability bitmap; 0 with error 100 when
// any part of it fails, nothing of it left allocated.
std::int32_t BuildCapabilityRecord(DriverContext* context);

// One entry of the record: where it lies, the capability it answers and in which form, the
// status item whose availability bit it needs and the API version it appears from.
enum CapabilityEntryForm : BYTE {
  kEntryResult = 0,  // i32, the capability's answer as it is
  kEntryList = 1,    // u32 count, then the 32-bit address of count elements
  kEntryPair = 2,    // the two halves the handler wrote (two u16 or two u32)
};
struct CapabilityRecordEntry {
  WORD offset;
  WORD capability;
  BYTE form;
  WORD elementSize;  // list: bytes of one element; pair: bytes of one half; result: 0
  WORD statusItem;
  BYTE fromVersion;
};
const CapabilityRecordEntry* GetCapabilityRecordEntries(DWORD* count);
// Bytes the entry takes in the record.
constexpr DWORD EntryBytes(const CapabilityRecordEntry& entry) {
  return entry.form == kEntryResult ? 4 : entry.form == kEntryList ? 8 : 2u * entry.elementSize;
}
