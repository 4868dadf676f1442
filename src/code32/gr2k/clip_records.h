// The clip of a drawing call and the device's one-entry clip cache.
//
// A rectangular clip becomes a clip-rectangle record, a complex one a path record that
// sets the clip; an unclipped call after a clipped one writes a clip reset. The cache
// keeps the last clip written, so a call with the same clip writes nothing. It is
// allocated with the device and invalidated at every page start; invalidating clears only
// its valid flag, not the kind of the clip the printer holds.
#pragma once

#include <cstdint>

#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// Clip kinds.
constexpr DWORD CLIP_NONE = 0;
constexpr DWORD CLIP_RECT = 1;
constexpr DWORD CLIP_PATH = 3;

struct ClipCache {
  DWORD valid;
  DWORD identity;  // the engine's unique value of the clip object
  BYTE* record;    // the record written for that clip (to be tested, never read)
  DWORD kind;      // CLIP_NONE, CLIP_RECT or CLIP_PATH
  RECTL rect;      // for CLIP_RECT
};

// What SetClip answers when the clip could not be set.
inline BYTE* const kClipFailed = reinterpret_cast<BYTE*>(~static_cast<std::uintptr_t>(0));

// Allocates the cache from the device's allocation list, empty; FALSE when memory runs out.
BOOL CreateClipCache(RenderDevice* device);
void FreeClipCache(RenderDevice* device);
// Clears the valid flag.
void InvalidateClipCache(RenderDevice* device);

// Sets the printer's clip for a call: kClipFailed when the engine gives no path for a
// complex clip or a clip reset cannot be written; null when no clip record was needed or
// the record could not be written (the call goes on unclipped); else the clip record.
BYTE* SetClip(RenderDevice* device, CLIPOBJ* clip);
// Removes any clip (a clip reset when one is active). FALSE when that fails.
BOOL RemoveClip(RenderDevice* device);

}  // namespace rendara
