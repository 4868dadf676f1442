// Shared core of the three deliverables.
