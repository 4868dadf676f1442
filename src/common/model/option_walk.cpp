// Option list walking.
#include "model/option_walk.h"

#include "model/option_lookup.h"
#include "model/rule_eval.h"

ImageRef GetOptionNode(DriverContext* context, WORD itemId) { return FindOptionByItemId(itemId, context); }

int IsOptionIdDisabled(DriverContext* context, WORD itemId) {
  if (itemId == 0) return 0;
  const ImageRef option = GetOptionNode(context, itemId);
  return option ? IsItemDisabled(option, 0, context) : 0;
}

namespace {

bool IsListType(ImageRef option) {
  const BYTE low = static_cast<BYTE>(OptionRawType(option));
  return low == 1 || low == 2;
}

}  // namespace

ImageRef NextOptionNode(ImageRef option, ImageRef item) {
  if (!option || !item || !IsListType(option)) return {};
  return ItemNext(item);
}

DWORD NextOptionValue(ImageRef option, ImageRef item, ImageRef* conditions) {
  DWORD value = 0;
  if (option && item) {
    if (IsListType(option)) value = ItemValueId(item);
    else if (static_cast<BYTE>(OptionRawType(option)) == 0x10) value = item.U16(0);
  }
  if (conditions) {
    const ImageRef block = option ? OptionCondition(option) : ImageRef{};
    *conditions = value != 0 && block ? block.Tagged(cond::kItems) : ImageRef{};
  }
  return value;
}
