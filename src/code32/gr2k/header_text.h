// The job and page header texts: the model's command groups (JobStart for the 0xF3 job
// header, PageStart for the 0xF4 page header, PageEnd for the 0xF1 page trailer) turned
// into text for the current settings of a context.
//
// A text source is called twice: without a buffer to count the bytes, then with a buffer
// of that size to write them. No NUL ends the text and nothing separates the entries.
#pragma once

#include <cstdint>

#include "model/model_image.h"
#include "pjl_commands.h"
#include "win/types.h"

struct DriverContext;
struct SettingField;

namespace rendara {

// The text sources of the 0xF3, 0xF4 and 0xF1 blocks: (context, size, buffer or null, out
// count) -> 0, or -1 when the group cannot be written (the block is then not written).
std::int32_t BuildJobStartText(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count);
std::int32_t BuildPageStartText(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count);
std::int32_t BuildPageEndText(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count);

// The command group of the context's model image (kGroupJobStart ... kGroupPageEnd of
// model_parse.h), or none.
ImageRef GetCommandGroup(DriverContext* context, int group);

// One command group. Writing (a size and a buffer): the walk's result, 0 or -1; -1 also
// when the text does not fit the buffer. Counting: the walk's result, except that 0 with
// a count above 0 gives 1. The bytes counted or written go to *count.
std::int32_t BuildCommandGroupText(DriverContext* context, ImageRef block, DWORD size, BYTE* buffer, DWORD* count);

// The walk: a block's first node list when it has no Judge or its Judge holds, else its
// second list. The result of the last node (0 for an empty list); -1 stops the walk.
std::int32_t WalkCommandBlock(DriverContext* context, ImageRef block, TextSink* sink);
std::int32_t WriteCommandNodes(DriverContext* context, ImageRef node, TextSink* sink);
// An option entry: the selected value's command of the option named by the node (feature
// item id and share key number); -1 when the field or the option does not exist.
std::int32_t WriteGroupTypeNode(DriverContext* context, ImageRef node, TextSink* sink);

// Option-type writers: 0, or -1 for a String option without text.
std::int32_t WritePickCommand(DWORD value, ImageRef option, const SettingField* field, TextSink* sink);
std::int32_t WriteBooleanCommand(DWORD value, ImageRef option, const SettingField* field, TextSink* sink);
std::int32_t WriteNumericCommand(DWORD value, ImageRef option, const SettingField* field, TextSink* sink);
std::int32_t WriteStringCommand(DriverContext* context, ImageRef option, const SettingField* field, TextSink* sink);

// The value text of a field whose handling code the writer computes itself (date and
// time, scaled lengths, names and paths, chapters, the page form, colour profiles):
// non-zero when the field's code was served.
std::int32_t WriteSpecialValue(DriverContext* context, const SettingField* field, DWORD value, ImageRef option,
                               TextSink* sink);

// Handling codes of the settings fields that WriteSpecialValue serves.
constexpr WORD kHandleTime = 1;
constexpr WORD kHandleLength = 2;
constexpr WORD kHandleDeviceName = 3;
constexpr WORD kHandleIniFileName = 5;
constexpr WORD kHandleLogFileName = 6;
constexpr WORD kHandleDriverFileName = 7;
constexpr WORD kHandleBareString = 8;
constexpr WORD kHandleShiftX = 9;
constexpr WORD kHandleShiftY = 10;
constexpr WORD kHandleChapter = 11;
constexpr WORD kHandleDriverDirectory = 12;
constexpr WORD kHandlePageForm = 13;
constexpr WORD kHandleMatchingProfile = 101;
constexpr WORD kHandleColourProfile = 102;

// The colour-profile file names of a machine (the file names after the driver directory).
// Code 101 chooses among four names, code 102 among three; null where a machine has none.
const char* MatchingProfileName(BYTE machineId, int index);  // index 0..3
const char* ColourProfileName(BYTE machineId, int index);    // 0 for f = 2, 1 for f = 6, 2 otherwise

}  // namespace rendara
