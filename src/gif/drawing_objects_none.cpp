// ReleaseDrawingObjects for programs without rendering (unit tests, fuzzers, benchmarks):
// there are no drawing objects to free. The Windows player links the rendering code's
// version instead, which deletes the palettes, the frame's DIB, the snapshots and the stage.
#include "gif/gif_loader.h"

void ReleaseDrawingObjects() {
}
