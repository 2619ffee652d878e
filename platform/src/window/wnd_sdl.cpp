// The real-window back end: an SDL window showing the client picture with the two scroll
// bars drawn beside it, and SDL input turned into window messages.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "qvplatform/cp932.h"
#include "qvplatform/msgbox.h"
#include "wnd_scrollbar.h"

namespace qvp::detail {

namespace {

constexpr int kBar = kScrollBarSize;

struct Msg {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Drivers that show nothing on a screen.
bool IsScreenless(const char* driver) {
    return !driver || !std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy");
}

LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

UINT ModifierFlags() {
    SDL_Keymod mod = SDL_GetModState();
    return ((mod & KMOD_SHIFT) ? MK_SHIFT : 0) | ((mod & KMOD_CTRL) ? MK_CONTROL : 0);
}

UINT VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<UINT>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>(key);  // '0' .. '9'
    switch (key) {
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        case SDLK_RETURN:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        default:
            return 0;
    }
}

// ---- Drawing the bars ----

constexpr Uint32 kTrack = 0xE8E8E8, kButton = 0xC8C8C8, kThumb = 0x989898;
constexpr Uint32 kArrow = 0x303030, kArrowOff = 0xA8A8A8;

void Fill(SDL_Surface* s, SDL_Rect r, Uint32 rgb) {
    SDL_FillRect(s, &r, SDL_MapRGB(s->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

// A part of the bar `r`, from `start` for `length` pixels along it.
SDL_Rect Along(const SDL_Rect& r, bool bHorizontal, int start, int length) {
    return bHorizontal ? SDL_Rect{r.x + start, r.y, length, r.h}
                       : SDL_Rect{r.x, r.y + start, r.w, length};
}

// A small triangle in a button, pointing back along the bar or forward.
void DrawArrow(SDL_Surface* s, const SDL_Rect& box, bool bHorizontal, bool bForward, Uint32 rgb) {
    constexpr int kRows = 4;
    int cx = box.x + box.w / 2, cy = box.y + box.h / 2;
    for (int i = 0; i < kRows; ++i) {
        int d = bForward ? kRows / 2 - i : i - kRows / 2;  // row i is 2i + 1 wide
        int half = i;
        if (bHorizontal)
            Fill(s, {cx + d, cy - half, 1, 2 * half + 1}, rgb);
        else
            Fill(s, {cx - half, cy + d, 2 * half + 1, 1}, rgb);
    }
}

void DrawBar(SDL_Surface* s, const ScrollBarState& state, const SDL_Rect& r, bool bHorizontal) {
    int length = bHorizontal ? r.w : r.h;
    ScrollBarLayout layout(state, length);
    Fill(s, r, kTrack);
    SDL_Rect first = Along(r, bHorizontal, 0, kBar);
    SDL_Rect last = Along(r, bHorizontal, length - kBar, kBar);
    Fill(s, first, kButton);
    Fill(s, last, kButton);
    Uint32 arrow = layout.bEnabled ? kArrow : kArrowOff;
    DrawArrow(s, first, bHorizontal, false, arrow);
    DrawArrow(s, last, bHorizontal, true, arrow);
    if (layout.bEnabled)
        Fill(s, Along(r, bHorizontal, layout.nThumbStart, layout.nThumbLength), kThumb);
}

// ---- The back end ----

class SdlBackend;

// Open SDL windows. Everything here runs on the user-interface thread.
std::vector<SdlBackend*>& Backends() {
    static auto* const backends = new std::vector<SdlBackend*>;
    return *backends;
}

class SdlBackend final : public WindowBackend {
public:
    SdlBackend(HWND hWnd, SDL_Window* pWindow) : m_hWnd(hWnd), m_pWindow(pWindow) {
        Backends().push_back(this);
    }
    ~SdlBackend() override {
        std::erase(Backends(), this);
        SDL_DestroyWindow(m_pWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void Present(WindowObject& w) override;
    void ClientResized(int cx, int cy) override {
        SDL_SetWindowSize(m_pWindow, cx + kBar, cy + kBar);
    }
    HBITMAP CopyScreen() override;

    Uint32 Id() const { return SDL_GetWindowID(m_pWindow); }
    HWND Handle() const { return m_hWnd; }
    SDL_Window* Window() const { return m_pWindow; }

    // Mouse input becomes client-area messages, or scroll messages on the bars.
    std::vector<Msg> MouseDown(WindowObject& w, int x, int y, Uint8 button);
    std::vector<Msg> MouseMove(WindowObject& w, int x, int y, Uint32 buttons);
    std::vector<Msg> MouseUp(WindowObject& w, int x, int y, Uint8 button);

private:
    // Which bar a point is on, and how far along it; false for the client area and corner.
    bool OnBar(int x, int y, int& bar, int& offset, int& length) const;
    void ClientSize(int& cx, int& cy) const {
        SDL_GetWindowSize(m_pWindow, &cx, &cy);
        cx = std::max(cx - kBar, 0);
        cy = std::max(cy - kBar, 0);
    }

    HWND m_hWnd;
    SDL_Window* m_pWindow;
    int m_nDragBar = -1;  // the bar whose thumb is being dragged
    int m_nDragGrab = 0;  // where on the thumb it was taken
};

void SdlBackend::Present(WindowObject& w) {
    SDL_Surface* screen = SDL_GetWindowSurface(m_pWindow);
    auto* picture = Table().Get<BitmapObject>(w.m_hSurface);
    if (!screen || !picture) return;
    int cw = std::max(screen->w - kBar, 0), ch = std::max(screen->h - kBar, 0);
    Fill(screen, {0, 0, cw, ch}, 0xFFFFFF);
    // The bitmap's pixels are 0x00RRGGBB words, which is SDL's RGB888.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        picture->m_pixels.data(), picture->m_nWidth, picture->m_nHeight, 32, picture->m_nWidth * 4,
        SDL_PIXELFORMAT_RGB888);
    if (source) {
        SDL_Rect from{0, 0, std::min<int>(w.m_sizeClient.cx, cw),
                      std::min<int>(w.m_sizeClient.cy, ch)};
        SDL_Rect to{0, 0, from.w, from.h};
        SDL_BlitSurface(source, &from, screen, &to);
        SDL_FreeSurface(source);
    }
    DrawBar(screen, w.m_bars[SB_HORZ], {0, ch, cw, kBar}, true);
    DrawBar(screen, w.m_bars[SB_VERT], {cw, 0, kBar, ch}, false);
    Fill(screen, {cw, ch, kBar, kBar}, kButton);
    SDL_UpdateWindowSurface(m_pWindow);
}

HBITMAP SdlBackend::CopyScreen() {
    SDL_Surface* screen = SDL_GetWindowSurface(m_pWindow);
    if (!screen) return nullptr;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(screen, SDL_PIXELFORMAT_RGB888, 0);
    if (!rgb) return nullptr;
    std::vector<Uint32> bits(static_cast<std::size_t>(rgb->w) * rgb->h);
    for (int y = 0; y < rgb->h; ++y)
        std::memcpy(
            bits.data() + static_cast<std::size_t>(y) * rgb->w,
            static_cast<const Uint8*>(rgb->pixels) + static_cast<std::size_t>(y) * rgb->pitch,
            static_cast<std::size_t>(rgb->w) * 4);
    HBITMAP copy = CreateBitmap(rgb->w, rgb->h, 1, 32, bits.data());
    SDL_FreeSurface(rgb);
    return copy;
}

bool SdlBackend::OnBar(int x, int y, int& bar, int& offset, int& length) const {
    int cw, ch;
    ClientSize(cw, ch);
    if (x >= cw && y < ch) {
        bar = SB_VERT;
        offset = y;
        length = ch;
        return true;
    }
    if (y >= ch && x < cw) {
        bar = SB_HORZ;
        offset = x;
        length = cw;
        return true;
    }
    return false;
}

UINT ScrollMessage(int bar) {
    return bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
}

std::vector<Msg> SdlBackend::MouseDown(WindowObject& w, int x, int y, Uint8 button) {
    int bar, offset, length;
    if (!OnBar(x, y, bar, offset, length)) {
        int cw, ch;
        ClientSize(cw, ch);
        if (x >= cw || y >= ch) return {};
        if (button == SDL_BUTTON_LEFT)
            return {{WM_LBUTTONDOWN, MK_LBUTTON | ModifierFlags(), PointParam(x, y)}};
        if (button == SDL_BUTTON_RIGHT)
            return {{WM_RBUTTONDOWN, MK_RBUTTON | ModifierFlags(), PointParam(x, y)}};
        return {};
    }
    if (button != SDL_BUTTON_LEFT) return {};
    ScrollBarState& state = w.m_bars[bar];
    ScrollBarLayout layout(state, length);
    int code = layout.HitTest(offset);
    if (code < 0) return {};
    if (code == static_cast<int>(SB_THUMBTRACK)) {
        m_nDragBar = bar;
        m_nDragGrab = offset - layout.nThumbStart;
        state.bTracking = true;
        state.nTrackPos = state.nPos;
        return {};
    }
    UINT message = ScrollMessage(bar);
    return {{message, MAKEWPARAM(static_cast<WORD>(code), 0), 0},
            {message, MAKEWPARAM(SB_ENDSCROLL, 0), 0}};
}

std::vector<Msg> SdlBackend::MouseMove(WindowObject& w, int x, int y, Uint32 buttons) {
    if (m_nDragBar < 0) {
        int cw, ch;
        ClientSize(cw, ch);
        if (x >= cw || y >= ch) return {};
        UINT flags = ModifierFlags() | ((buttons & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0) |
                     ((buttons & SDL_BUTTON_RMASK) ? MK_RBUTTON : 0);
        return {{WM_MOUSEMOVE, flags, PointParam(x, y)}};
    }
    int cw, ch;
    ClientSize(cw, ch);
    bool bVertical = m_nDragBar == SB_VERT;
    ScrollBarState& state = w.m_bars[m_nDragBar];
    ScrollBarLayout layout(state, bVertical ? ch : cw);
    int pos = layout.PositionAt((bVertical ? y : x) - m_nDragGrab);
    if (pos == state.nTrackPos) return {};
    state.nTrackPos = pos;
    w.m_bShowPending = true;
    return {{ScrollMessage(m_nDragBar), MAKEWPARAM(SB_THUMBTRACK, static_cast<DWORD>(pos)), 0}};
}

std::vector<Msg> SdlBackend::MouseUp(WindowObject& w, int x, int y, Uint8 button) {
    if (button == SDL_BUTTON_LEFT && m_nDragBar >= 0) {
        ScrollBarState& state = w.m_bars[m_nDragBar];
        state.bTracking = false;
        UINT message = ScrollMessage(m_nDragBar);
        m_nDragBar = -1;
        w.m_bShowPending = true;
        return {{message, MAKEWPARAM(SB_THUMBPOSITION, static_cast<DWORD>(state.nTrackPos)), 0},
                {message, MAKEWPARAM(SB_ENDSCROLL, 0), 0}};
    }
    int cw, ch;
    ClientSize(cw, ch);
    if (x >= cw || y >= ch) return {};
    if (button == SDL_BUTTON_LEFT) return {{WM_LBUTTONUP, ModifierFlags(), PointParam(x, y)}};
    if (button == SDL_BUTTON_RIGHT) return {{WM_RBUTTONUP, ModifierFlags(), PointParam(x, y)}};
    return {};
}

SdlBackend* FindBackend(Uint32 id) {
    for (SdlBackend* b : Backends())
        if (b->Id() == id) return b;
    return nullptr;
}

Uint32 WindowIdOf(const SDL_Event& e) {
    switch (e.type) {
        case SDL_WINDOWEVENT:
            return e.window.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return e.button.windowID;
        case SDL_MOUSEMOTION:
            return e.motion.windowID;
        case SDL_MOUSEWHEEL:
            return e.wheel.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return e.key.windowID;
        case SDL_TEXTINPUT:
            return e.text.windowID;
        default:
            return 0;
    }
}

void HandleWindowEvent(HWND hWnd, WindowObject& w, const SDL_WindowEvent& e) {
    switch (e.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            int cx = std::max(e.data1 - kBar, 0), cy = std::max(e.data2 - kBar, 0);
            w.m_bShowPending = true;
            if (cx != w.m_sizeClient.cx || cy != w.m_sizeClient.cy)
                ResizeClient(hWnd, cx, cy, true, true);
            break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
            w.m_bShowPending = true;
            break;
        case SDL_WINDOWEVENT_CLOSE:
            SendMessageA(hWnd, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

std::vector<Msg> WheelMessages(const SDL_MouseWheelEvent& e) {
    int sign = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
    int mx, my;
    SDL_GetMouseState(&mx, &my);
    std::vector<Msg> msgs;
    auto delta = [&](int notches) {
        return static_cast<DWORD>(
            static_cast<WORD>(std::clamp(notches * sign * WHEEL_DELTA, -32768, 32767)));
    };
    if (e.y)
        msgs.push_back({WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(ModifierFlags()), delta(e.y)),
                        PointParam(mx, my)});
    if (e.x)
        msgs.push_back({WM_MOUSEHWHEEL, MAKEWPARAM(static_cast<WORD>(ModifierFlags()), delta(e.x)),
                        PointParam(mx, my)});
    return msgs;
}

// Text arrives as UTF-8; WM_CHAR carries code page 932 bytes, a double-byte character as two.
std::vector<Msg> CharMessages(const char* text) {
    std::vector<Msg> msgs;
    for (unsigned char c : Utf8ToCp932(text)) msgs.push_back({WM_CHAR, c, MAKELPARAM(1, 0)});
    return msgs;
}

void Dispatch(const SDL_Event& e) {
    SdlBackend* backend = FindBackend(WindowIdOf(e));
    if (!backend) return;
    HWND hWnd = backend->Handle();
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return;
    std::vector<Msg> msgs;
    switch (e.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(hWnd, *w, e.window);
            return;
        case SDL_MOUSEBUTTONDOWN:
            msgs = backend->MouseDown(*w, e.button.x, e.button.y, e.button.button);
            break;
        case SDL_MOUSEBUTTONUP:
            msgs = backend->MouseUp(*w, e.button.x, e.button.y, e.button.button);
            break;
        case SDL_MOUSEMOTION:
            msgs = backend->MouseMove(*w, e.motion.x, e.motion.y, e.motion.state);
            break;
        case SDL_MOUSEWHEEL:
            msgs = WheelMessages(e.wheel);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (UINT vk = VirtualKey(e.key.keysym.sym))
                msgs.push_back(
                    {e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, MAKELPARAM(1, 0)});
            break;
        case SDL_TEXTINPUT:
            msgs = CharMessages(e.text.text);
            break;
        default:
            break;
    }
    // A handler may destroy the window: the handle then refuses the rest.
    for (const Msg& m : msgs) SendMessageA(hWnd, m.message, m.wParam, m.lParam);
}

}  // namespace

std::unique_ptr<WindowBackend> CreateSdlBackend(HWND hWnd, const std::string& title, int cx, int cy,
                                                std::string& error) {
    // A library does not take the process's signals. The window's picture is copied in
    // software: a graphics-card renderer would only add a copy (and on the offscreen driver
    // leaves memory behind). The environment may still say otherwise.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot start SDL video: ") + SDL_GetError();
        return nullptr;
    }
    // Without a display SDL falls back to a driver that shows nothing; a window nobody can
    // see is only wanted when asked for by name.
    if (!std::getenv("SDL_VIDEODRIVER") && IsScreenless(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        error =
            "no display to open a window on (is DISPLAY set?); SDL_VIDEODRIVER=offscreen "
            "opens one without a screen";
        return nullptr;
    }
    SDL_Window* window =
        SDL_CreateWindow(Cp932ToUtf8(title).c_str(), SDL_WINDOWPOS_UNDEFINED,
                         SDL_WINDOWPOS_UNDEFINED, cx + kBar, cy + kBar, SDL_WINDOW_RESIZABLE);
    if (!window) {
        error = std::string("cannot open a window: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return std::make_unique<SdlBackend>(hWnd, window);
}

void PumpSdlEvents(bool wait) {
    if (Backends().empty()) return;
    SDL_Event e;
    bool have = wait ? SDL_WaitEvent(&e) != 0 : SDL_PollEvent(&e) != 0;
    while (have) {
        Dispatch(e);
        have = SDL_PollEvent(&e) != 0;
    }
}

bool ShowSdlMessageBox(const std::string& textUtf8, const std::string& captionUtf8, UINT nType,
                       int& nAnswer) {
    if (Backends().empty() || IsScreenless(SDL_GetCurrentVideoDriver())) return false;
    std::vector<int> answers = MessageBoxButtons(nType);
    std::size_t nDefault = MessageBoxDefault(nType);
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        Uint32 flags = i == nDefault ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
        if (answers[i] == IDCANCEL) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back({flags, answers[i], MessageBoxLabel(answers[i])});
    }
    UINT icon = nType & MB_ICONMASK;
    Uint32 kind = icon == MB_ICONHAND          ? SDL_MESSAGEBOX_ERROR
                  : icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                               : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxData data{kind | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                            Backends().front()->Window(),
                            captionUtf8.c_str(),
                            textUtf8.c_str(),
                            static_cast<int>(buttons.size()),
                            buttons.data(),
                            nullptr};
    int hit = -1;
    if (SDL_ShowMessageBox(&data, &hit) != 0) return false;
    // Closing the box without a button is the cancel button, or else the default.
    bool bHasCancel = std::find(answers.begin(), answers.end(), IDCANCEL) != answers.end();
    nAnswer = hit >= 0 ? hit : bHasCancel ? IDCANCEL : answers[nDefault];
    return true;
}

}  // namespace qvp::detail
