// show_fixture.exe: what the show's end-to-end tests need from Windows besides the player.
//   emf PATH                        writes the test message: a metafile whose frame is a
//                                   400 x 400 pixel picture filled with the card colour
//                                   RGB(32, 96, 160), with a square of RGB(240, 128, 16) at
//                                   (320, 320)-(390, 390); exit 0, or 1 when it cannot
//   window X Y W H RRGGBB MS        an ordinary popup window filled with the colour that
//                                   takes the foreground and exits 0 after MS milliseconds
//                                   or on a click; it also measures how long an empty
//                                   window takes to reach the screen
// Bad arguments exit 2.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

COLORREF gFill = RGB(0, 0, 0);

int WriteMessage(const char* path) {
    HDC reference = GetDC(nullptr);
    int widthMm = GetDeviceCaps(reference, HORZSIZE), heightMm = GetDeviceCaps(reference, VERTSIZE);
    int widthPx = GetDeviceCaps(reference, HORZRES), heightPx = GetDeviceCaps(reference, VERTRES);
    ReleaseDC(nullptr, reference);
    RECT frame = {0, 0, 400 * widthMm * 100 / widthPx, 400 * heightMm * 100 / heightPx};
    HDC dc = CreateEnhMetaFileA(nullptr, path, &frame, nullptr);
    if (!dc) return 1;
    HBRUSH card = CreateSolidBrush(RGB(32, 96, 160));
    RECT all = {0, 0, 400, 400};
    FillRect(dc, &all, card);
    DeleteObject(card);
    HBRUSH mark = CreateSolidBrush(RGB(240, 128, 16));
    RECT corner = {320, 320, 390, 390};
    FillRect(dc, &corner, mark);
    DeleteObject(mark);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile) return 1;
    DeleteEnhMetaFile(metafile);
    return 0;
}

LRESULT CALLBACK FillWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(gFill);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
    case WM_LBUTTONDOWN:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int ShowFillWindow(HINSTANCE instance, char** argv) {
    int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    int width = std::atoi(argv[4]), height = std::atoi(argv[5]);
    unsigned long rgb = std::strtoul(argv[6], nullptr, 16);
    gFill = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FillWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "ShowFixtureClass";
    if (!RegisterClassA(&windowClass)) return 2;
    HWND window = CreateWindowExA(0, "ShowFixtureClass", "", WS_POPUP, x, y, width, height,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 2;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(window);
    SetTimer(window, 1, UINT(std::atoi(argv[7])), nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = __argc;
    char** argv = __argv;
    if (argc == 3 && std::strcmp(argv[1], "emf") == 0) return WriteMessage(argv[2]);
    if (argc == 8 && std::strcmp(argv[1], "window") == 0) return ShowFillWindow(instance, argv);
    return 2;
}
