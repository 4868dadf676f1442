// Later subsystems' operations with the least behaviour the settings-file load and save need.
#include "stored/pending_lists.h"

// PENDING: the setting-file import issue copies the source's section into the target;
// until then nothing is imported.
int ImportSettingFile(const WCHAR*, const WCHAR*, DWORD, DriverContext*) { return 0; }

// PENDING: GetStampCount of the stamp list reads "StampCount"; until the list is kept it
// answers -1 (no list known), and its callers leave the stamp selection as it is.
int GetStampCount(DriverContext*) { return -1; }
// PENDING: the stamp-list issue loads and stores entry n; until then nothing moves.
void ApplyStamp(DriverContext*, int) {}
void SaveStamp(DriverContext*, int) {}

// PENDING: the free-size list issue writes and reads the entry sections and fills the work
// area's records; until then nothing moves.
void WriteFreeSizeSection(DriverContext*, int) {}
void ReadCurrentFreeSize(DriverContext*, int) {}
void FeaturesToFreeSizeRecord(DriverContext*, int) {}
void CurrentToFreeSizeRecord(DriverContext*, int) {}

