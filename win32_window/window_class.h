// The window classes of the program's own windows, registered once each.
#pragma once

#include <windows.h>

namespace quellmark {

// Registers Name with Procedure, the arrow cursor and the dialog colour, once.
inline void RegisterWindowClass(HINSTANCE Instance, const wchar_t* Name, WNDPROC Procedure,
                                HICON Icon = nullptr) {
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

}  // namespace quellmark
