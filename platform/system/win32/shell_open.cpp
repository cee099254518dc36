#include "platform/system/shell_open.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/base/win32/wide.h"

namespace plat {

OpenResult openExternal(const std::string& target, uint64_t* watch) {
    // The shell call returns with the outcome, so there is nothing to watch.
    if (watch) *watch = 0;
    if (target.empty() || target[0] == '-') return OpenResult::Failed;
    // Explorer may start COM objects of its own on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", win32::toWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) CoUninitialize();
    // Values above 32 mean the shell started the opener; no program for the kind of target
    // is the one failure that names a missing opener.
    const INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > 32) return OpenResult::Opened;
    return code == SE_ERR_NOASSOC ? OpenResult::NoOpener : OpenResult::Failed;
}

OpenResult openerOutcome(uint64_t) { return OpenResult::Opened; }

}  // namespace plat
