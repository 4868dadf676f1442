// The cache file of a model image: its name beside the data file, writing it and reading it
// back. The file holds the image block byte for byte (the total size in its header is the
// file's length).
#pragma once

#include "model/model_image.h"

// The cache file's path for a data-file path: the text after the last '.' replaced by
// "BCS", or ".BCS" appended when the path has no '.'. A fresh block the caller frees with
// FreeMem; null for a null path, a result longer than 259 characters or short memory.
WCHAR* MakeModelCacheName(const WCHAR* dataFilePath);

// Creates or truncates the cache file (no sharing) and writes the image's total size in
// bytes. Failures are ignored: a partial file is rejected at the next read by its length.
void WriteModelCacheFile(const ModelImage* image, const WCHAR* dataFilePath);

// The cache file's bytes when both the data file and the cache file open, the cache's
// last-write time is not earlier than the data file's (both times readable), and its
// length is above 7996 and equals the total size of its header; else null. The copy is
// not checked further (AdoptModelImageCopy does that); the caller frees it with FreeMem.
BYTE* ReadModelCacheFile(const WCHAR* dataFilePath, DWORD* size);
