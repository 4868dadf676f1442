// The seam of the driver-drawn slider's painter.
#include "pages/slider_paint.h"

// PENDING: PaintSliderTrack, the slider kinds' own painter (track, thumb and the plus and
// minus arrow boxes), replaces this. Until it comes a kind-84 slider shows the background its
// erase gave it, as the plain scroll bar beneath it paints nothing more.
void PaintSliderTrack(DriverContext*, ControlRecord*, int) {}
