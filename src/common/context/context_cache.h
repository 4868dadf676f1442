// The two process-wide caches of released contexts.
#pragma once

// Empties both caches without destroying anything (process attach).
void ClearContextCaches();
