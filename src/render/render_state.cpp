// Definitions of the shared rendering state (see render_state.h). Everything starts empty.
#include "render/render_state.h"

RECT WindowRect = {0, 0, 0, 0};
HWND StageWindow = nullptr;
HBITMAP BackgroundSnapshot = nullptr;
HBITMAP FullScreenSnapshot = nullptr;
HBITMAP StageBitmap = nullptr;
FrameNode* FrameCursor = nullptr;
HGLOBAL CurrentFrameDib = nullptr;
HPALETTE GlobalPalette = nullptr;
HPALETTE FramePalette = nullptr;
HPALETTE ActivePalette = nullptr;
int FrameHasTransparency = 0;
