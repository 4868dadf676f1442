// Walking an option's value list: the option of an item id, whether it is disabled, and the
// next item and value of its list.
#pragma once

#include "model/model_image.h"

struct DriverContext;

// The option with that item id (FindOptionByItemId).
ImageRef GetOptionNode(DriverContext* context, WORD itemId);
// 0 for item id 0 or no option, else IsItemDisabled(option, 0).
int IsOptionIdDisabled(DriverContext* context, WORD itemId);
// The item after `item` for PickOne and PickMany options (low type byte 1 or 2), else none.
ImageRef NextOptionNode(ImageRef option, ImageRef item);
// The item's value id for PickOne and PickMany, the first 16-bit word of a String option's
// value record, 0 otherwise. When conditions is given it receives the option's item
// condition list when the value is non-zero and the option has one, else none.
DWORD NextOptionValue(ImageRef option, ImageRef item, ImageRef* conditions);
