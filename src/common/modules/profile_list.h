// The user's colour profiles: ICC files with a display name, kept in the per-printer INI
// under the language code of the settings ("CmmCount", "CmmDefault", "CmmMax" and the
// sections "ColorMatching<i><code>" with "kdmColorMatchingMode" = name and
// "wdmColorProfilePath" = path). A colour-matching field names profile i by the stored value
// 200 + i. The profile being shown or edited is the context's profileName/profilePath.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

constexpr int kMaxProfiles = 16;
constexpr DWORD kFirstProfileValue = 200;
constexpr int kProfileTextChars = 261;

int GetProfileCount(DriverContext* context);
void SetProfileCount(DriverContext* context, int count);
// "CmmDefault", 4 when missing.
int GetProfileDefaultCount(DriverContext* context);
// "CmmMax", 16 when missing, never above the 16 values a colour-matching field can name.
int GetProfileMax(DriverContext* context);

// Name and path of profile i into the shown texts (empty for i < 0; i >= "CmmCount" shows
// profile 0).
void ShowProfile(DriverContext* context, int i);
void ShowProfileInControls(DriverContext* context, int i);
// The shown texts as profile i, for 0 <= i < "CmmCount".
void StoreProfile(DriverContext* context, int i);
// Removes profile i (0 <= i < "CmmCount"): later profiles move down; false for any other i.
bool DeleteProfile(DriverContext* context, int i);

int ProfileIndexOfValue(DriverContext* context, DWORD value);
int ProfileIndexOfField(DriverContext* context, WORD fieldId);
// The profile the colour-matching combo's field names; -1 without the combo.
int SelectedProfileIndex(DriverContext* context);
void SelectProfile(DriverContext* context, int i);

// The ICC header check of a profile file: output-device class, RGB connection space and the
// expected colour module and manufacturer.
int IsValidProfileFile(const WCHAR* path);

// The colour-matching field that kdmAdjustMode and kdmAdjustObject make current; 0 for none.
WORD CurrentColorMatchingField(DriverContext* context);
// Remembers the current colour-matching field's value (put back when a user-quality page is
// cancelled).
void SaveColorMatchingState(DriverContext* context);

// The path shown by the profile file edit into out (n characters); its length.
int GetShownProfilePath(DriverContext* context, WCHAR* out, int n);
