// Building the model image from a parse: the size of every section, the copy of the parse
// into one block in offset form, and the build from a data file.
#pragma once

#include "model/model_image.h"
#include "model/model_parse.h"

struct DriverContext;

// The exact size of the image of a parse (header included); 0 when the parse is null or the
// image would not fit in 32 bits.
DWORD ComputeModelImageSize(const ModelParse* parse);

// Lays the three sections out into block (size bytes, zero-filled, size from
// ComputeModelImageSize) and copies the parse's header into the first 7996 bytes. Does not
// free the parse. False when the block is too small for the parse (nothing is written
// beyond it).
bool LayOutModelImage(BYTE* block, DWORD size, const ModelParse* parse);

// Lays the parse out into a fresh finished image and frees the parse; null when memory is
// short. The parse is freed in every case.
ModelImage* CopyModelImage(ModelParse* parse);

// Parses the data file and builds its image; writes the cache file when mayWrite is set and
// the image's FileVersion equals the product's driver version string (case-insensitive).
// Null when the file cannot be parsed or memory is short.
ModelImage* BuildModelImage(DriverContext* context, const WCHAR* dataFilePath, bool mayWrite);
