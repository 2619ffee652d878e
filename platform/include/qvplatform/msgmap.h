// Message maps: the table each window or document class keeps of the messages it handles,
// chained to its base class's table, and the command target that looks handlers up there.
//
//     class CMyView : public CScrollView {
//         afx_msg void OnSize(UINT nType, int cx, int cy);
//         DECLARE_MESSAGE_MAP()
//     };
//     BEGIN_MESSAGE_MAP(CMyView, CScrollView)
//         ON_WM_SIZE()
//     END_MESSAGE_MAP()
//
// Each entry holds a small function made for the handler it names, so a handler whose
// parameters do not fit its message is a compile error, and no member pointer is ever cast.
#pragma once

#include "qvplatform/object.h"

// Marks the handlers named in message maps; they are ordinary, non-virtual members.
#define afx_msg

// Window messages.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSEHWHEEL = 0x020E;
constexpr UINT WM_USER = 0x0400;

// Packing of message parameters. WM_HSCROLL and WM_VSCROLL carry the scroll code in the low
// word and the thumb position above it: here the position has 32 bits (bits 16 to 47), so
// positions past 65535 arrive whole; a 16-bit MAKEWPARAM gives the same value.
constexpr WPARAM MAKEWPARAM(WORD wLow, DWORD dwHigh) {
    return static_cast<WPARAM>(wLow) | (static_cast<WPARAM>(dwHigh) << 16);
}
constexpr LPARAM MAKELPARAM(WORD wLow, WORD wHigh) {
    return static_cast<LPARAM>(static_cast<DWORD>(wLow) | (static_cast<DWORD>(wHigh) << 16));
}
// Signed coordinates from a mouse message's lParam.
constexpr int GET_X_LPARAM(LPARAM lp) {
    return static_cast<short>(LOWORD(static_cast<DWORD>(lp)));
}
constexpr int GET_Y_LPARAM(LPARAM lp) {
    return static_cast<short>(HIWORD(static_cast<DWORD>(lp)));
}

class CCmdTarget;
class CScrollBar;  // scroll-bar controls do not exist here: handlers always get null

// Calls one handler with the message's parameters unpacked.
using AFX_PMSGTHUNK = LRESULT (*)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    AFX_PMSGTHUNK pfnThunk;  // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root of the chain
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The root of every class with a message map.
class QVP_API CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // The entry for `nMessage` in this object's class or the nearest base class that has
    // one, or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                     \
        using ThisClass [[maybe_unused]] = theClass;                                      \
        using TheBaseClass = baseClass;                                                   \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {
#define END_MESSAGE_MAP()                                                                 \
            {0, nullptr}};                                                                \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,           \
                                              messageEntries};                            \
        return &messageMap;                                                               \
    }
// clang-format on

namespace qvp::msg {

template <class F>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
    using Class = C;
};
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...) noexcept> {
    using Class = C;
};

// The object a handler runs on: the map that named it belongs to its class or a base.
template <auto pfn>
auto* Target(CCmdTarget* p) {
    return static_cast<typename MemberOf<decltype(pfn)>::Class*>(p);
}

inline DWORD Low32(LPARAM l) {
    return static_cast<DWORD>(l);
}
inline POINT PointOf(LPARAM l) {
    return {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
}

template <auto pfn>
LRESULT Void(CCmdTarget* p, WPARAM, LPARAM) {
    (Target<pfn>(p)->*pfn)();
    return 0;
}
template <auto pfn>
LRESULT Size(CCmdTarget* p, WPARAM w, LPARAM l) {
    (Target<pfn>(p)->*pfn)(static_cast<UINT>(w), LOWORD(Low32(l)), HIWORD(Low32(l)));
    return 0;
}
template <auto pfn>
LRESULT Scroll(CCmdTarget* p, WPARAM w, LPARAM) {
    (Target<pfn>(p)->*pfn)(static_cast<UINT>(w & 0xFFFF), static_cast<UINT>(w >> 16),
                           static_cast<CScrollBar*>(nullptr));
    return 0;
}
template <auto pfn>
LRESULT Mouse(CCmdTarget* p, WPARAM w, LPARAM l) {
    (Target<pfn>(p)->*pfn)(static_cast<UINT>(w), PointOf(l));
    return 0;
}
template <auto pfn>
LRESULT Wheel(CCmdTarget* p, WPARAM w, LPARAM l) {
    return (Target<pfn>(p)->*pfn)(static_cast<UINT>(w & 0xFFFF),
                                  static_cast<short>((w >> 16) & 0xFFFF), PointOf(l));
}
template <auto pfn>
LRESULT Key(CCmdTarget* p, WPARAM w, LPARAM l) {
    (Target<pfn>(p)->*pfn)(static_cast<UINT>(w), LOWORD(Low32(l)), HIWORD(Low32(l)));
    return 0;
}
template <auto pfn>
LRESULT Message(CCmdTarget* p, WPARAM w, LPARAM l) {
    return (Target<pfn>(p)->*pfn)(w, l);
}

}  // namespace qvp::msg

// Handlers, with the signatures they are called with:
//   OnSize(UINT nType, int cx, int cy)                  OnPaint()
//   OnHScroll/OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
//   OnLButtonDown/OnLButtonUp/OnRButtonDown/OnRButtonUp/OnMouseMove(UINT nFlags, POINT point)
//   BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt)
//   OnKeyDown/OnKeyUp/OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
//   OnDestroy()                                         OnClose()
//   LRESULT memberFxn(WPARAM wParam, LPARAM lParam)     for ON_MESSAGE
#define ON_WM_SIZE() {WM_SIZE, &::qvp::msg::Size<&ThisClass::OnSize>},
#define ON_WM_PAINT() {WM_PAINT, &::qvp::msg::Void<&ThisClass::OnPaint>},
#define ON_WM_HSCROLL() {WM_HSCROLL, &::qvp::msg::Scroll<&ThisClass::OnHScroll>},
#define ON_WM_VSCROLL() {WM_VSCROLL, &::qvp::msg::Scroll<&ThisClass::OnVScroll>},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, &::qvp::msg::Mouse<&ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, &::qvp::msg::Mouse<&ThisClass::OnLButtonUp>},
#define ON_WM_RBUTTONDOWN() {WM_RBUTTONDOWN, &::qvp::msg::Mouse<&ThisClass::OnRButtonDown>},
#define ON_WM_RBUTTONUP() {WM_RBUTTONUP, &::qvp::msg::Mouse<&ThisClass::OnRButtonUp>},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, &::qvp::msg::Mouse<&ThisClass::OnMouseMove>},
#define ON_WM_MOUSEWHEEL() {WM_MOUSEWHEEL, &::qvp::msg::Wheel<&ThisClass::OnMouseWheel>},
#define ON_WM_KEYDOWN() {WM_KEYDOWN, &::qvp::msg::Key<&ThisClass::OnKeyDown>},
#define ON_WM_KEYUP() {WM_KEYUP, &::qvp::msg::Key<&ThisClass::OnKeyUp>},
#define ON_WM_CHAR() {WM_CHAR, &::qvp::msg::Key<&ThisClass::OnChar>},
#define ON_WM_DESTROY() {WM_DESTROY, &::qvp::msg::Void<&ThisClass::OnDestroy>},
#define ON_WM_CLOSE() {WM_CLOSE, &::qvp::msg::Void<&ThisClass::OnClose>},
#define ON_MESSAGE(message, memberFxn) {message, &::qvp::msg::Message<&ThisClass::memberFxn>},
