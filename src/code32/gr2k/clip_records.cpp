#include "clip_records.h"

#include <cstring>

#include "drawing_records.h"
#include "path_records.h"
#include "render_device.h"

namespace rendara {

namespace {

constexpr DWORD kPathModeClip = 5;

bool SameRect(const RECTL& a, const RECTL& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

BOOL CreateClipCache(RenderDevice* device) {
  if (!device) return FALSE;
  auto* cache = static_cast<ClipCache*>(DeviceAlloc(device->heap, sizeof(ClipCache)));
  if (!cache) return FALSE;
  std::memset(static_cast<void*>(cache), 0, sizeof(ClipCache));
  device->clipCache = cache;
  return TRUE;
}

void FreeClipCache(RenderDevice* device) {
  if (!device || !device->clipCache) return;
  DeviceFree(device->heap, device->clipCache);
  device->clipCache = nullptr;
}

void InvalidateClipCache(RenderDevice* device) {
  if (device && device->clipCache) device->clipCache->valid = 0;
}

BYTE* SetClip(RenderDevice* device, CLIPOBJ* clip) {
  if (!device || !device->clipCache) return kClipFailed;
  ClipCache& cache = *device->clipCache;

  if (clip && clip->iDComplexity == DC_RECT) {
    if (cache.valid && cache.kind == CLIP_RECT && SameRect(cache.rect, clip->rclBounds)) return cache.record;
    BYTE* record = EmitClipRect(&device->records, &clip->rclBounds);
    if (record) {
      cache.valid = 1;
      cache.identity = clip->iUniq;
      cache.record = record;
      cache.kind = CLIP_RECT;
      cache.rect = clip->rclBounds;
    }
    return record;
  }

  if (clip && clip->iDComplexity == DC_COMPLEX) {
    if (clip->iUniq != 0 && cache.valid && cache.kind == CLIP_PATH && cache.identity == clip->iUniq)
      return cache.record;
    PATHOBJ* path = CLIPOBJ_ppoGetPath(clip);
    if (!path) return kClipFailed;
    BYTE* record = WritePath(device, path, kPathModeClip);
    EngDeletePath(path);
    if (record) {
      cache.valid = 1;
      cache.identity = clip->iUniq;
      cache.record = record;
      cache.kind = CLIP_PATH;
    }
    return record;
  }

  if (cache.kind == CLIP_NONE) return nullptr;
  if (!EmitClipReset(&device->records)) return kClipFailed;
  cache.kind = CLIP_NONE;
  return nullptr;
}

BOOL RemoveClip(RenderDevice* device) { return SetClip(device, nullptr) == kClipFailed ? FALSE : TRUE; }

}  // namespace rendara
