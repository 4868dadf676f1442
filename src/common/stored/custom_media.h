// The custom media list: up to 16 rows of fields (quality, name, character set) stored in
// printer data as "CustomMediaDataNum" and "CustomMediaData".
#pragma once

#include "win/types.h"

struct DriverContext;

#pragma pack(push, 1)
// One stored row, little-endian.
struct CustomMediaRecord {
  DWORD quality;   // raw value of wdmCustomMedia<n>Quot
  DWORD charSet;   // raw value of wdmMedia<n>NameCharSet
  char name[260];  // ANSI name of wdmCustomMedia<n>Name, NUL-terminated within 257 bytes
};
#pragma pack(pop)
static_assert(sizeof(CustomMediaRecord) == 268);

constexpr int kCustomMediaRows = 16;

// The field ids of row n (1 to 16): quality, name and character set.
WORD CustomMediaQualityField(int n);
WORD CustomMediaNameField(int n);
WORD CustomMediaCharSetField(int n);

// Every row back to quality 1, no name, character set 0; all rows in use.
void ResetCustomMediaFeatures(DriverContext* context);
// The rows to printer data; 1 done, 0 on failure.
int SaveCustomMedia(HANDLE printer, DriverContext* context);
// Resets the rows, then applies the stored list; 1 when a list was read.
int LoadCustomMedia(HANDLE printer, DriverContext* context);
