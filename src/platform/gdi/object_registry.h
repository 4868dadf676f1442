// The live drawing-call objects, by family: the engine functions find the builder behind a
// record the driver hands back, and refuse a record that is not (or no longer) alive.
#pragma once

#include "plat/gdi_objects.h"

namespace plat::gdi {

enum class Kind { Clip, Path, Xform, Xlate, Brush, Font, String };

void Register(Kind k, const void* record, void* builder);
void Unregister(Kind k, const void* record);
// The builder registered for `record` of family `k`, or null.
void* FindLive(Kind k, const void* record);

template <class T>
T* Find(Kind k, const void* record) {
  return static_cast<T*>(FindLive(k, record));
}

// Paths the engine hands out (CLIPOBJ_ppoGetPath) until EngDeletePath takes them back.
void KeepEnginePath(PathObject* path);
// The engine path behind `record`, no longer kept; null when it is not one.
PathObject* TakeEnginePath(const void* record);

}  // namespace plat::gdi
