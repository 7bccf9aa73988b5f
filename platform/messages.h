#pragma once
// Window messages as the window procedure speaks of them. The values are the
// Windows ones, so the procedure reads the same on every platform; on Linux the
// event layer translates SDL events into them.
#include <cstdint>

namespace gv::platform {

struct WindowMessage {
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    // The hidden window it is addressed to (message_window.h); 0 for the
    // program's own window.
    uint64_t window = 0;
};

// Messages.
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_SYSCHAR = 0x0106;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_USER = 0x0400;

// Mouse-button state bits in wParam of mouse messages.
inline constexpr uint64_t MK_LBUTTON = 0x0001;
inline constexpr uint64_t MK_RBUTTON = 0x0002;
inline constexpr uint64_t MK_SHIFT = 0x0004;
inline constexpr uint64_t MK_CONTROL = 0x0008;
inline constexpr uint64_t MK_MBUTTON = 0x0010;

// Virtual-key codes (letters and digits are their upper-case ASCII codes).
inline constexpr uint32_t VK_BACK = 0x08;
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_SHIFT = 0x10;
inline constexpr uint32_t VK_CONTROL = 0x11;
inline constexpr uint32_t VK_MENU = 0x12;
inline constexpr uint32_t VK_PAUSE = 0x13;
inline constexpr uint32_t VK_CAPITAL = 0x14;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;
inline constexpr uint32_t VK_PRIOR = 0x21;
inline constexpr uint32_t VK_NEXT = 0x22;
inline constexpr uint32_t VK_END = 0x23;
inline constexpr uint32_t VK_HOME = 0x24;
inline constexpr uint32_t VK_LEFT = 0x25;
inline constexpr uint32_t VK_UP = 0x26;
inline constexpr uint32_t VK_RIGHT = 0x27;
inline constexpr uint32_t VK_DOWN = 0x28;
inline constexpr uint32_t VK_INSERT = 0x2D;
inline constexpr uint32_t VK_DELETE = 0x2E;
inline constexpr uint32_t VK_NUMPAD0 = 0x60;
inline constexpr uint32_t VK_MULTIPLY = 0x6A;
inline constexpr uint32_t VK_ADD = 0x6B;
inline constexpr uint32_t VK_SUBTRACT = 0x6D;
inline constexpr uint32_t VK_DECIMAL = 0x6E;
inline constexpr uint32_t VK_DIVIDE = 0x6F;
inline constexpr uint32_t VK_F1 = 0x70;
inline constexpr uint32_t VK_F2 = 0x71;
inline constexpr uint32_t VK_F3 = 0x72;
inline constexpr uint32_t VK_F4 = 0x73;
inline constexpr uint32_t VK_F5 = 0x74;
inline constexpr uint32_t VK_F6 = 0x75;
inline constexpr uint32_t VK_F7 = 0x76;
inline constexpr uint32_t VK_F8 = 0x77;
inline constexpr uint32_t VK_F9 = 0x78;
inline constexpr uint32_t VK_F10 = 0x79;
inline constexpr uint32_t VK_F11 = 0x7A;
inline constexpr uint32_t VK_F12 = 0x7B;
inline constexpr uint32_t VK_OEM_1 = 0xBA;
inline constexpr uint32_t VK_OEM_PLUS = 0xBB;
inline constexpr uint32_t VK_OEM_COMMA = 0xBC;
inline constexpr uint32_t VK_OEM_MINUS = 0xBD;
inline constexpr uint32_t VK_OEM_PERIOD = 0xBE;
inline constexpr uint32_t VK_OEM_2 = 0xBF;

// Client coordinates packed as the mouse messages carry them.
inline int64_t makePointParam(int x, int y) {
    return int64_t((uint32_t(uint16_t(int16_t(y))) << 16) | uint16_t(int16_t(x)));
}
inline int pointParamX(int64_t lParam) {
    return int16_t(uint16_t(lParam & 0xFFFF));
}
inline int pointParamY(int64_t lParam) {
    return int16_t(uint16_t((lParam >> 16) & 0xFFFF));
}

} // namespace gv::platform
