// Path forms.
#include "base/path_forms.h"

int IsAbsolutePath(const WCHAR* path) {
  if (!path || !path[0]) return 0;
  if (path[0] == u'\\' && path[1] == u'\\') return 1;
  return path[1] == u':' && path[2] == u'\\' ? 1 : 0;
}
