// Finisher items of the computed judge items: whether the installed finisher handles the
// job's paper, whether the paper lies in the main source the way a staple or punch
// position needs, and the feed direction the finisher asks for.
#pragma once

#include "win/types.h"

struct DriverContext;

// The four finisher families that have items of their own.
enum FinisherFamily { kFamilyFinMF, kFamilyFin50, kFamilyFin100, kFamilyFin100Ex };

// Each answers 0 or 1 for the family, from the current settings.
int FinisherPortSet(DriverContext* context, FinisherFamily family);
int FinisherLandSet(DriverContext* context, FinisherFamily family);
int FinisherStapleSupportSize(DriverContext* context, FinisherFamily family);
int FinisherPunchSupportSize(DriverContext* context, FinisherFamily family);
int FinisherNaeuPunchSupportSize(DriverContext* context, FinisherFamily family);
int FinisherStapleTypeSupport(DriverContext* context, FinisherFamily family);
int FinisherPunchTypeSupport(DriverContext* context, FinisherFamily family);

// Feed direction the first installed finisher needs: 1 portrait, 2 landscape, 3 either,
// 0 when the paper cannot be finished or no finisher is installed.
int ForceFeedDirection(DriverContext* context);

// True when id is a finisher item (730-735, 759-765, 795-801, 809, 811-817, 827, 828);
// its value (0 or 1) then goes to *value.
bool ComputeFinisherItem(DriverContext* context, WORD id, DWORD* value);
