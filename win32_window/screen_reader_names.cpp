#include "win32_window/screen_reader_names.h"

// After windows.h.
#include <initguid.h>
#include <oleacc.h>

#include "windows_text/windows_text.h"

namespace quellmark {

void AnnotateForScreenReaders(HWND Control, const std::string& Name,
                              const std::string& Description) {
    IAccPropServices* Services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&Services)))) {
        return;
    }
    for (const auto& [Property, Text] :
         {std::pair{PROPID_ACC_NAME, &Name}, std::pair{PROPID_ACC_DESCRIPTION, &Description}}) {
        if (!Text->empty()) {
            Services->SetHwndPropStr(Control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                     Property, WideText(*Text).c_str());
        }
    }
    Services->Release();
}

}  // namespace quellmark
