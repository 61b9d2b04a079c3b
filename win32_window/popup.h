// The program's own windows: the main window's class, and small windows over another one
// (progress, questions, summaries), titled "Quellmark", sized at the owner's DPI, centred on it
// and kept on its monitor, their controls in the system's message font.
#pragma once

#include <windows.h>

namespace quellmark {

// Registers Name with Procedure, the arrow cursor and the dialog colour, once.
void RegisterWindowClass(HINSTANCE Instance, const wchar_t* Name, WNDPROC Procedure,
                         HICON Icon = nullptr);

class Popup {
  public:
    // Over Owner, which may be none.
    explicit Popup(HWND Owner);
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;
    ~Popup();

    // Pixels at 96 dpi, in pixels at the owner's DPI.
    int Px(int Pixels) const { return MulDiv(Pixels, static_cast<int>(Dpi_), 96); }
    HFONT Font() const { return Font_; }
    int WorkHeight() const { return Work_.bottom - Work_.top; }
    HWND Handle() const { return Window_; }

    // Makes the window with a client area of Width by Height pixels; Data is its user data.
    void Create(const wchar_t* ClassName, WNDPROC Procedure, int Width, int Height, void* Data);
    // A control at X, Y of Width by Height pixels.
    HWND Add(const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id, int X, int Y,
             int Width, int Height, DWORD ExStyle = 0) const;

  private:
    HWND Owner_;
    UINT Dpi_;
    RECT Work_{};
    HFONT Font_;
    HWND Window_ = nullptr;
};

}  // namespace quellmark
