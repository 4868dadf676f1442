// Settings field ids that the rendering code reads: the fid:: constants generated from the
// built-in dictionary (one per named field, under the field's name).
#pragma once

#include "field_ids.h"
