// The object behind a window handle, shared by the wnd_* sources, and the seam between a
// window and the back end that shows it on a screen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gdi_internal.h"
#include "qvplatform/wnd.h"

namespace qvp::detail {

struct WindowObject;

// One scroll bar. The clamping rules live in wnd_scroll.cpp.
struct ScrollBarState {
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
    bool bTracking = false;  // the user is dragging the thumb

    int Limit() const;  // the largest position
};

// Where a window is shown besides its memory surface. The headless back end is no object
// at all: a window without one lives in memory only.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // Shows the surface and the scroll bars on the screen.
    virtual void Present(WindowObject& window) = 0;
    // The client area was resized by the host; the screen window follows.
    virtual void ClientResized(int cx, int cy) = 0;
    // The screen picture as last presented, as a new bitmap, or null.
    virtual HBITMAP CopyScreen() = 0;
};

struct WindowObject : HandleObject {
    static constexpr ObjectKind kKind = ObjectKind::Window;
    ObjectKind Kind() const override { return kKind; }
    // DeleteObject must not reach a window: only DestroyWindow retires the handle.
    bool CanDelete() const override { return m_bDestroying; }
    ~WindowObject() override;

    CWnd* m_pWnd = nullptr;
    std::string m_strTitle;  // code page 932
    SIZE m_sizeClient{0, 0};
    ScrollBarState m_bars[2];

    // The client picture: a colour bitmap of at least 1 x 1. Contexts handed out by GetDC
    // and BeginPaint draw into it; surfaces replaced while a context still held them wait
    // in m_retired until it is released.
    HBITMAP m_hSurface = nullptr;
    std::vector<HDC> m_dcs;
    std::vector<HBITMAP> m_retired;

    RECT m_rcInvalid{0, 0, 0, 0};  // empty when the window is valid
    bool m_bErase = false;
    bool m_bShowPending = true;  // the screen lags behind the surface or the bars
    bool m_bDestroying = false;

    std::unique_ptr<WindowBackend> m_pBackend;  // null: headless

    RECT ClientRect() const { return {0, 0, m_sizeClient.cx, m_sizeClient.cy}; }
    // A surface of the client size; false when no bitmap could be made.
    bool MakeSurface();
    // Deletes what no context holds any more.
    void DropRetiredSurfaces();
};

// The live window behind a handle, or null.
WindowObject* FindWindowObject(HWND hWnd);
// Every live window, oldest first.
std::vector<HWND> LiveWindows();

// Gives the window a client area of cx x cy and sends WM_SIZE; with bRepaint it is all
// invalid afterwards. bFromScreen: the screen window has that size already.
bool ResizeClient(HWND hWnd, int cx, int cy, bool bRepaint, bool bFromScreen);

// The bounding box of both; an empty rectangle counts as nothing.
RECT UnionRect(const RECT& a, const RECT& b);

// The SDL back end (wnd_sdl.cpp). Null with a reason when no window can be opened.
std::unique_ptr<WindowBackend> CreateSdlBackend(HWND hWnd, const std::string& title, int cx, int cy,
                                                std::string& error);
// Turns waiting SDL input into messages; with `wait`, first waits for some.
void PumpSdlEvents(bool wait);
// Shows a message box on a real window when one is open on a real display; false when
// there is none (or SDL could not show it) and the caller must fall back.
// The buttons of a message box type (MB_OK ...) as their answers (IDOK ...), in order, and
// the index of the one taken by default.
std::vector<int> MessageBoxButtons(UINT nType);
std::size_t MessageBoxDefault(UINT nType);
const char* MessageBoxLabel(int nAnswer);
bool ShowSdlMessageBox(const std::string& textUtf8, const std::string& captionUtf8, UINT nType,
                       int& nAnswer);

}  // namespace qvp::detail
