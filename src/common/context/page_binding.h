// The context's page and control tables made usable: the one-time wiring of the control
// flags, shared items, shared storage and extra data, and the binding of every control to
// its settings field and model option.
#pragma once

#include "base/dictionary_pages.h"
#include "model/model_image.h"
#include "win/types.h"

struct DriverContext;

// Page flags.
constexpr DWORD PGF_DOCUMENT = 0x1;
constexpr DWORD PGF_DEVICE = 0x2;
constexpr DWORD PGF_SUBDIALOG = 0x4;
constexpr DWORD PGF_GROUP_10 = 0x10;
constexpr DWORD PGF_GROUP_20 = 0x20;
constexpr DWORD PGF_FILE_PAGES = 0x3F00 | 0x4000 | 0x8000;

// Control flags.
constexpr DWORD CTLF_REINIT_MASK = 0x11F0000u;
constexpr DWORD CTLF_NO_UPDOWN_STEP = 0x200000u;
constexpr DWORD CTLF_TEXT_LIMIT_260 = 0x400000u;
constexpr DWORD CTLF_KEEP_BLANKS = 0x800000u;
constexpr DWORD CTLF_SAVE_PRESET = 0x2000000u;
constexpr DWORD CTLF_NO_STATE_REINIT = 0x4000000u;
constexpr DWORD CTLF_PICTURE_ITEMS = 0x8000000u;
constexpr DWORD CTLF_HIDDEN_FUNCTION = 0x20000000u;
constexpr DWORD CTLF_USER_UNITS = 0x80000000u;

// Control state word: bits 0-1 hidden, bits 2-3 greyed.
inline DWORD ControlHidden(const ControlRecord* c) { return c ? (c->state & 3u) : 0; }
inline DWORD ControlGreyed(const ControlRecord* c) { return c ? ((c->state >> 2) & 3u) : 0; }
inline void SetControlHidden(ControlRecord* c, DWORD v) {
  if (c) c->state = static_cast<WORD>((c->state & ~3u) | (v & 3u));
}
inline void SetControlGreyed(ControlRecord* c, DWORD v) {
  if (c) c->state = static_cast<WORD>((c->state & ~0xCu) | ((v & 3u) << 2));
}

// The model option a control was bound to; none before binding or without a model.
ImageRef ControlOption(DriverContext* context, const ControlRecord* control);

// The typed extra block of a control when its type word is `type`, else null.
const void* GetControlExtraData(const ControlRecord* control, WORD type);
bool IsFilePage(const PageRecord* page);
bool IsNotFilePage(const PageRecord* page);

// The one-time wiring of a context's copy; called by BindPageControls only.
void WirePageControls(DriverContext* context);
// Binds every control of every page of the context, once per context (an explicit flag of
// the work area tells a bound context; later calls only run the first two steps).
void BindPageControls(DriverContext* context, PageRecord* page);

// The process-wide blocks that the wiring points controls at: the sample picture's six
// field ids (type 1) and the preview picture's 14 stamp field ids (type 8). Built once.
const WORD* SharedSampleExtraData();
const WORD* SharedPreviewExtraData();

// Deletes a dialog brush that binding made; does nothing for null.
void DeleteDialogBrush(void* brush);
