// The live drawing-call objects under one lock.
#include "object_registry.h"

#include <map>
#include <mutex>
#include <utility>

#include "plat/gdi_objects.h"

namespace plat::gdi {
namespace {

struct ObjectRegistry {
  std::mutex lock;
  std::map<std::pair<Kind, const void*>, void*> live;
  std::map<const void*, PathObject*> enginePaths;  // paths handed out by the engine
};

ObjectRegistry& Reg() {
  static ObjectRegistry* r = new ObjectRegistry;
  return *r;
}

}  // namespace

void Register(Kind k, const void* record, void* builder) {
  std::lock_guard<std::mutex> g(Reg().lock);
  Reg().live[{k, record}] = builder;
}

void Unregister(Kind k, const void* record) {
  std::lock_guard<std::mutex> g(Reg().lock);
  Reg().live.erase({k, record});
}

void* FindLive(Kind k, const void* record) {
  if (!record) return nullptr;
  std::lock_guard<std::mutex> g(Reg().lock);
  auto it = Reg().live.find({k, record});
  return it == Reg().live.end() ? nullptr : it->second;
}

void KeepEnginePath(PathObject* path) {
  std::lock_guard<std::mutex> g(Reg().lock);
  Reg().enginePaths[path->get()] = path;
}

PathObject* TakeEnginePath(const void* record) {
  std::lock_guard<std::mutex> g(Reg().lock);
  auto it = Reg().enginePaths.find(record);
  if (it == Reg().enginePaths.end()) return nullptr;
  PathObject* path = it->second;
  Reg().enginePaths.erase(it);
  return path;
}

}  // namespace plat::gdi
