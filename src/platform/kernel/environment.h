// The environment block as the platform's own calls read it.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// Value of a variable, or false when it is not defined.
bool LookupEnvironmentVariable(std::u16string_view name, std::u16string& value);

}  // namespace plat
