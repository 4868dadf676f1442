#include "context/library_start.h"

#include "context/context_cache.h"
#include "model/driver_locks.h"
#include "model/model_load.h"

void StartDriverLibrary(Deliverable deliverable) {
  InitDriverLocks();
  SetDeliverable(deliverable);
}

void EndDriverLibrary() {
  FreeLoadedModelImages();
  EvictContextCache(1);
  DeleteDriverLocks();
}
