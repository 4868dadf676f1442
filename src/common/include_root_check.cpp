// The include root of driver code. The common code and the three deliverables build
// against the Windows-shaped headers ("win/...") only, as they would against Windows' own;
// the platform's steering headers ("plat/...") belong to the host, the tests and the
// doubles. This file is compiled with the common library's include path: should the
// steering folder ever reach it, the build stops here.
#if __has_include("plat/system.h")
#error "driver code must not see the platform's steering headers"
#endif
#if !__has_include("win/types.h")
#error "driver code builds against the Windows-shaped headers"
#endif
