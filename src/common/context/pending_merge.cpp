// Later subsystems' operations with the least behaviour the merge and the common settings
// block need now.
#include "context/pending_merge.h"

// PENDING: the two-way communication module runs the query through the bidirectional
// library; until then there is no library and the query fails.
int QueryPrinterBidiSilent(DriverContext*) { return 0; }
