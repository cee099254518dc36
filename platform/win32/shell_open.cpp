#include "platform/shell_open.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/win32/wide.h"

namespace plat {

bool openFolder(const std::string& path) {
    if (path.empty()) return false;
    // Explorer may start COM objects of its own on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", win32::toWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) CoUninitialize();
    // Values above 32 mean the shell started the opener.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace plat
