// The process-wide list of model images and the load of a printer's image.
//
// A path's key is the 8 characters before its last 4 (compared as raw bytes), so that two
// printers whose data files differ only in directory or extension share one image. A path
// of 11 characters or fewer has no such key; its image is listed under its whole path
// instead, so that it is freed with the list and a second load of that path does not build
// (and lose) another image.
#include "model/model_load.h"

#include <cstring>

#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "base/file_ops.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "base/wide_text.h"
#include "model/model_cache_file.h"
#include "model/model_image_build.h"
#include "model/model_reader.h"
#include "model/statement_dispatch.h"
#include "win/kernel.h"

namespace {

ModelImageList g_images{};

bool SameWhole(const WCHAR* a, const WCHAR* b) {
  const std::size_t n = WideLength(a);
  return n == WideLength(b) && std::memcmp(a, b, n * sizeof(WCHAR)) == 0;
}

ModelImageListNode* Find(const WCHAR* path) {
  const std::size_t n = WideLength(path);
  for (ModelImageListNode* node = g_images.first; node; node = node->next) {
    if (n > 11) {
      if (!node->wholePath && std::memcmp(node->key, path + n - 12, sizeof node->key) == 0) return node;
    } else if (node->wholePath && SameWhole(node->wholePath, path)) {
      return node;
    }
  }
  return nullptr;
}

// False when memory is short (the caller frees the image).
bool Append(ModelImage* image, const WCHAR* path) {
  auto* node = static_cast<ModelImageListNode*>(AllocMem(sizeof(ModelImageListNode)));
  if (!node) return false;
  const std::size_t n = WideLength(path);
  if (n > 11) {
    std::memcpy(node->key, path + n - 12, sizeof node->key);
  } else {
    node->wholePath = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>((n + 1) * sizeof(WCHAR))));
    if (!node->wholePath) {
      FreeMem(node);
      return false;
    }
    std::memcpy(node->wholePath, path, n * sizeof(WCHAR));
  }
  node->inUse = 1;
  node->image = image;
  if (g_images.last) g_images.last->next = node;
  else g_images.first = node;
  g_images.last = node;
  ++g_images.count;
  return true;
}

const WCHAR* DriverVersion(const DriverContext* context) {
  const ProductRecord* product = context && context->product ? context->product : GetProductRecord();
  const WCHAR* v = GetProductString(product->driverVersionString);
  return v ? v : u"";
}

ModelImage* LoadUnlisted(DriverContext* context, const WCHAR* path) {
  DWORD size = 0;
  bool mayWrite = true;
  if (BYTE* cached = ReadModelCacheFile(path, &size)) {
    WCHAR dataVersion[16] = {};
    ReadFileVersion(path, dataVersion);
    dataVersion[15] = 0;
    mayWrite = lstrcmpiW(DriverVersion(context), dataVersion) == 0;
    WCHAR cachedVersion[16];
    ImageFileVersion(reinterpret_cast<const ModelImage*>(cached), cachedVersion);
    if (mayWrite && lstrcmpiW(cachedVersion, dataVersion) == 0) {
      // A cache that fails the check is rebuilt below (and replaced, as writing is allowed).
      if (ModelImage* image = AdoptModelImageCopy(cached, size)) return image;
    } else {
      FreeMem(cached);
      WCHAR* name = MakeModelCacheName(path);
      DeleteFileForce(name);
      FreeMem(name);
    }
  }
  return BuildModelImage(context, path, mayWrite);
}

}  // namespace

const ModelImage* LoadModelImage(DriverContext* context) {
  if (!context) return nullptr;
  LockDriverMutex(context);
  const ModelImage* result = nullptr;
  if (WCHAR* path = GetDataFilePath(context->hPrinter)) {
    if (const ModelImageListNode* node = Find(path)) {
      result = node->image;
    } else if (ModelImage* image = LoadUnlisted(context, path)) {
      if (Append(image, path)) result = image;
      else FreeMem(image);
    }
    FreeMem(path);
  }
  UnlockDriverMutex(context);
  return result;
}

void FreeLoadedModelImages() {
  ModelImageListNode* node = g_images.first;
  while (node) {
    ModelImageListNode* next = node->next;
    FreeMem(node->image);
    FreeMem(node->wholePath);
    FreeMem(node);
    node = next;
  }
  g_images = ModelImageList{};
}

const ModelImageList* GetModelImageList() { return &g_images; }

const ModelImage* FindLoadedModelImage(const WCHAR* dataFilePath) {
  if (!dataFilePath) return nullptr;
  const ModelImageListNode* node = Find(dataFilePath);
  return node ? node->image : nullptr;
}
