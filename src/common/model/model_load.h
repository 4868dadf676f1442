// Loading a printer's model image once per process: the process-wide image list, the cache
// file rules and the build.
#pragma once

#include "model/model_image.h"

struct DriverContext;

// One node of the process-wide list.
struct ModelImageListNode {
  ModelImageListNode* next;
  DWORD inUse;          // 1
  ModelImage* image;    // owned
  WCHAR key[8];         // the 8 characters before the path's last 4
  WCHAR* wholePath;     // for a path of 11 characters or fewer: the whole path, else null
};

struct ModelImageList {
  DWORD count;
  ModelImageListNode* first;
  ModelImageListNode* last;
};

// The printer's image: from the process list, from the cache file beside the data file, or
// parsed and built (writing a fresh cache when the versions allow). Runs under the driver
// mutex (skipped for a context created without the mutex flag). Null without a data file or
// when the model description cannot be parsed.
const ModelImage* LoadModelImage(DriverContext* context);

// Frees every image and node of the list and empties it (process detach).
void FreeLoadedModelImages();

// The list, for tests and the benchmark.
const ModelImageList* GetModelImageList();
// The list entry of a data-file path, or null.
const ModelImage* FindLoadedModelImage(const WCHAR* dataFilePath);
