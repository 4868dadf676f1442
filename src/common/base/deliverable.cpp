#include "base/deliverable.h"

#include <atomic>

namespace {
std::atomic<Deliverable> g_deliverable{Deliverable::Interface};
}  // namespace

void SetDeliverable(Deliverable deliverable) { g_deliverable.store(deliverable); }

Deliverable CurrentDeliverable() { return g_deliverable.load(); }
