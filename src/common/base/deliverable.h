// Which deliverable the common code runs in. The common code is compiled once and linked
// into the printer interface DLL, the rendering DLL and the settings API; where their
// behaviour differs, the code asks CurrentDeliverable() instead of being compiled apart.
#pragma once

enum class Deliverable { Interface, Rendering, SettingsApi };

// Set once by each deliverable when it is loaded (process attach); Interface until then.
void SetDeliverable(Deliverable deliverable);
Deliverable CurrentDeliverable();

inline bool IsInterfaceBuild() { return CurrentDeliverable() == Deliverable::Interface; }
inline bool IsRenderingBuild() { return CurrentDeliverable() == Deliverable::Rendering; }
inline bool IsSettingsApiBuild() { return CurrentDeliverable() == Deliverable::SettingsApi; }
