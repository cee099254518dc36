// wWinMain: the UTF-16 command line as UTF-8 arguments, per-monitor DPI awareness, then the
// program's own entry.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/base/win32/wide.h"
#include "platform/system/entry.h"

namespace {

std::vector<std::string> commandLineArguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(plat::win32::fromWide(argv[i]));
    LocalFree(argv);
    return args;
}

// Per-monitor aware (version 2) where the system knows it, else system aware. The manifest
// asks for the same; a refusal here changes nothing.
void enableDpiAwareness() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, "SetProcessDpiAwarenessContext") : nullptr;
    if (proc) {
        reinterpret_cast<SetContext>(reinterpret_cast<void*>(proc))(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)));
        return;
    }
    SetProcessDPIAware();
}

}  // namespace

extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<std::string> args = commandLineArguments();
    enableDpiAwareness();
    // A drive without a disc (the game scan looks for a folder on D: and E:) answers with an
    // error instead of a "no disk" dialog that would hold the scan.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    return programMain(args);
}
