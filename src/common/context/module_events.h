// The events the page extension modules answer, the blocks that travel with them, and which
// built-in function and event numbers each module takes in each deliverable.
#pragma once

#include <cstdint>

#include "base/deliverable.h"
#include "win/types.h"

struct ControlRecord;
struct DriverContext;
struct PageRecord;
struct HWND__;

// Event numbers the modules answer (the common code's own constants name the rest).
constexpr DWORD MODEV_GREY_STATE = 3;          // GreyStateEventBlock
constexpr DWORD MODEV_PREVIEW_PAINTED = 7;     // PreviewEventBlock
constexpr DWORD MODEV_TRAY_FLAG_TEST = 8;      // TrayFlagEventBlock
constexpr DWORD MODEV_TRAY_REPORTED = 9;       // TrayReportedEventBlock
constexpr DWORD MODEV_TRAYS_RESET = 10;        // none
constexpr DWORD MODEV_REVALIDATE = 11;         // none
constexpr DWORD MODEV_PUBLIC_TAKEN = 13;       // none
constexpr DWORD MODEV_HIDDEN_SPOT = 14;        // PageControlEventBlock
constexpr DWORD MODEV_INI_COPY = 15;           // IniCopyEventBlock
constexpr DWORD MODEV_BIDI_QUERY = 17;         // BidiQueryEventBlock
constexpr DWORD MODEV_TRAY_DETAILS = 21;       // i32 answer
constexpr DWORD MODEV_PAGE_CLOSED = 25;        // PageClosedEventBlock
constexpr DWORD MODEV_MODEL_DEFAULT = 32;      // ModelDefaultEventBlock
constexpr DWORD MODEV_PAGE_CANCELLED = 34;     // PageRecord*
constexpr DWORD MODEV_PAGE_CONFIRMED = 35;     // PageRecord*
constexpr DWORD MODEV_RECHECK_PROFILES = 36;   // none
constexpr DWORD MODEV_EDIT_SHOW = 38;          // ControlValueEventBlock (also 40)
constexpr DWORD MODEV_EDIT_TYPED = 39;         // ControlValueEventBlock
constexpr DWORD MODEV_EDIT_SHOW2 = 40;
constexpr DWORD MODEV_EDIT_COMMIT = 41;        // ControlValueEventBlock, 1200 dpi
constexpr DWORD MODEV_CHANGE_REFUSED = 42;     // none
constexpr DWORD MODEV_SPIN_STEP = 43;          // ControlValueEventBlock
constexpr DWORD MODEV_SPIN_RANGE = 46;         // SpinRangeEventBlock
constexpr DWORD MODEV_FOLLOW_UP_PAGE = 47;     // FollowUpEventBlock
constexpr DWORD MODEV_INCH_DISPLAY = 51;       // ControlValueEventBlock (value = answer)
constexpr DWORD MODEV_EDIT_SUBCLASS = 55;      // ControlValueEventBlock, 1200 dpi
constexpr DWORD MODEV_DENSITY_PICTURE = 56;    // DensityPictureEventBlock
constexpr DWORD MODEV_SLIDER_DIRECTION = 58;   // ControlValueEventBlock (value = answer)
constexpr DWORD MODEV_LOCK_PRESETS = 59;       // none
constexpr DWORD MODEV_LOCK_QUALITIES = 60;     // none
constexpr DWORD MODEV_LOCK_STAMPS_SAVE = 61;   // none
constexpr DWORD MODEV_LOCK_STAMPS_DROP = 62;   // none
constexpr DWORD MODEV_EXPORT_PRESETS = 63;     // const WCHAR* path
constexpr DWORD MODEV_EXPORT_QUALITIES = 64;   // const WCHAR* path
constexpr DWORD MODEV_HIDDEN_STATE = 66;       // PageControlEventBlock
constexpr DWORD MODEV_USER_PICKED = 67;        // ControlRecord*

struct GreyStateEventBlock {
  ControlRecord* control;
  PageRecord* page;
  DWORD answered;
  DWORD grey;
  const void* option;
};
struct PreviewEventBlock {
  ControlRecord* control;
  std::int32_t width;
  std::int32_t height;
  void* deviceContext;
  void* rectangle;
  std::int32_t pictureIndex;
};
struct TrayFlagEventBlock {
  DWORD flags;
  DWORD query;   // 0-3
  WORD answer;
};
struct TrayReportedEventBlock {
  DWORD flags;
  DWORD tray;
  BYTE* reportedMask;
};
struct PageControlEventBlock {
  PageRecord* page;
  ControlRecord* control;
};
struct IniCopyEventBlock {
  const WCHAR* source;
  const WCHAR* destination;
  DWORD keepCount;
};
struct BidiQueryEventBlock {
  HWND__* window;
  std::int32_t answer;
};
struct PageClosedEventBlock {
  PageRecord* page;
  ControlRecord* control;
  std::int32_t result;  // 1 OK, 2 Cancel
};
struct ModelDefaultEventBlock {
  DWORD ignored;
  const void* field;  // SettingField*
  DWORD value;
};
struct ControlValueEventBlock {
  ControlRecord* control;
  std::int32_t value;
};
struct SpinRangeEventBlock {
  ControlRecord* control;
  std::int32_t maximum;
  std::int32_t minimum;
  DWORD answered;
};
struct FollowUpEventBlock {
  PageRecord* page;
  const void* option;
  ControlRecord* control;  // the control whose option opened the page
  std::int32_t confirmed;
};
struct DensityPictureEventBlock {
  ControlRecord* control;
  DWORD pictureId;
  DWORD answer;
};

// Whether module m (0-based table index) takes built-in function n, or event e, in the
// deliverable. The printer interface DLL's modules take every number of their own; in the
// rendering DLL and the settings API only the settings logic listed for them runs.
bool ModuleTakesBuiltIn(int module, Deliverable deliverable, WORD number);
bool ModuleTakesEvent(int module, Deliverable deliverable, DWORD event);

// Grey state answer of event 3: state bits 2-3 of the control := grey, answered := 1.
void AnswerGreyState(GreyStateEventBlock* block, bool grey);
