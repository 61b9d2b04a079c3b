#include "win32_window/popup.h"

#include <algorithm>

#include "win32_window/dpi.h"

namespace quellmark {

void RegisterWindowClass(HINSTANCE Instance, const wchar_t* Name, WNDPROC Procedure, HICON Icon) {
    WNDCLASSEXW Class{};
    Class.cbSize = sizeof Class;
    Class.lpfnWndProc = Procedure;
    Class.hInstance = Instance;
    Class.hIcon = Icon;
    Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    Class.lpszClassName = Name;
    // A second registration fails harmlessly: the class is there.
    RegisterClassExW(&Class);
}

Popup::Popup(HWND Owner)
    : Owner_(Owner), Dpi_(Owner != nullptr ? GetDpiForWindow(Owner) : GetDpiForSystem()) {
    MONITORINFO Monitor = {};
    Monitor.cbSize = sizeof Monitor;
    GetMonitorInfoW(MonitorFromWindow(Owner, MONITOR_DEFAULTTONEAREST), &Monitor);
    Work_ = Monitor.rcWork;
    Font_ = MessageFont(Dpi_);
}

Popup::~Popup() {
    DestroyWindow(Window_);
    DeleteObject(Font_);
}

void Popup::Create(const wchar_t* ClassName, WNDPROC Procedure, int Width, int Height, void* Data) {
    const HINSTANCE Instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(Instance, ClassName, Procedure);
    const DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT Frame{0, 0, Width, Height};
    AdjustWindowRectExForDpi(&Frame, Style, FALSE, WS_EX_DLGMODALFRAME, Dpi_);
    RECT Over{};
    GetWindowRect(Owner_ != nullptr ? Owner_ : GetDesktopWindow(), &Over);
    const int Wide = Frame.right - Frame.left, High = Frame.bottom - Frame.top;
    const int Left = std::clamp<int>((Over.left + Over.right - Wide) / 2, Work_.left,
                                     std::max<int>(Work_.left, Work_.right - Wide));
    const int Top = std::clamp<int>((Over.top + Over.bottom - High) / 2, Work_.top,
                                    std::max<int>(Work_.top, Work_.bottom - High));
    Window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, ClassName, L"Quellmark", Style, Left, Top, Wide,
                              High, Owner_, nullptr, Instance, nullptr);
    SetWindowLongPtrW(Window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Data));
}

HWND Popup::Add(const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id, int X, int Y,
                int Width, int Height, DWORD ExStyle) const {
    HWND Control = CreateWindowExW(
        ExStyle, Class, Text, WS_CHILD | WS_VISIBLE | Style, X, Y, Width, Height, Window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(Font_), TRUE);
    return Control;
}

}  // namespace quellmark
