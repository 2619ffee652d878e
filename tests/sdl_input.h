// Input for the real-window tests: SDL events pushed through the SDL the platform loaded, so
// the tests need not link it, on SDL's offscreen driver unless SDL_VIDEODRIVER names another.
#pragma once

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <qvplatform/wnd.h>

namespace qvtest {

// Chooses the offscreen driver before the platform first starts SDL.
inline const bool g_bOffscreenSdl = (setenv("SDL_VIDEODRIVER", "offscreen", 0), true);

template <class F>
F* SdlCall(const char* name) {
    auto* f = reinterpret_cast<F*>(dlsym(RTLD_DEFAULT, name));
    if (!f) ADD_FAILURE() << "SDL has no " << name;
    return f;
}

// Events for the one window with a given title, each followed by a pump of the platform's
// messages so that its handlers have run when a call returns.
class SdlInput {
public:
    // False when no window has the title.
    bool Find(const std::string& title) {
        auto* fromId = SdlCall<SDL_Window*(Uint32)>("SDL_GetWindowFromID");
        auto* titleOf = SdlCall<const char*(SDL_Window*)>("SDL_GetWindowTitle");
        for (Uint32 id = 1; id < 10000; ++id)
            if (SDL_Window* w = fromId(id); w && title == titleOf(w)) {
                m_id = id;
                return true;
            }
        return false;
    }

    void Push(SDL_Event e) {
        SdlCall<int(SDL_Event*)>("SDL_PushEvent")(&e);
        AfxPumpMessages(FALSE);
    }
    void Key(SDL_Keycode key) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = m_id;
        e.key.keysym.sym = key;
        Push(e);
    }
    void Button(Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = m_id;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        Push(e);
    }
    void Move(int x, int y, Uint32 buttons) {  // buttons: the SDL_BUTTON_*MASK bits held
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = m_id;
        e.motion.state = buttons;
        e.motion.x = x;
        e.motion.y = y;
        Push(e);
    }
    void Drag(int x, int y) { Move(x, y, SDL_BUTTON_LMASK); }
    void Wheel(int y) {  // positive: away from the user
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = m_id;
        e.wheel.y = y;
        Push(e);
    }
    SDL_Event WindowEvent(Uint8 event, int data1 = 0, int data2 = 0) const {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = m_id;
        e.window.event = event;
        e.window.data1 = data1;
        e.window.data2 = data2;
        return e;
    }

private:
    Uint32 m_id = 0;
};

}  // namespace qvtest
