// Where this build keeps its sources and its built files. The paths are written into a
// generated source when the build is configured, never into a compile line, so that the
// objects of the tests and benchmarks are the same in every clone and the compiler cache
// shares them between clones.
#pragma once

#include <string>
#include <string_view>

namespace kovatest {

// The project's source folder (the clone), without a trailing slash.
const std::string& SourceDir();

// The file a build target makes (a library, a plug-in double, a program), by the target's
// name: BuiltFile("Rendara"), BuiltFile("OutputDoubleNoStart"). A target this build does
// not have throws std::out_of_range, naming it.
const char* BuiltFile(std::string_view target);
bool HasBuiltFile(std::string_view target);

}  // namespace kovatest
