// Classes of the common controls library that the window system provides.
#include "ui_internal.h"

namespace plat::ui {

void RegisterCommonControlClasses() {}

}  // namespace plat::ui
