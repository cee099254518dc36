#pragma once
// Helpers of the tests that run as Windows programs under Wine: the shared temporary folders
// (named in UTF-8), whole-file reads and writes and the loopback HTTP server of
// tests/support, command lines through cmd.exe and registry imports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/base/text.h"
#include "tests/support/files.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_folder.h"

namespace win_test {

namespace fs = std::filesystem;

using test_files::u8path;
using test_files::utf8;
using test_files::waitForFile;

// Runs a command line through cmd.exe; true when it exited with 0.
inline bool runCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

// Imports .reg text (written here in UTF-8, after the editor's header line; the file is
// UTF-16 with a byte-order mark). True when reg import took it.
inline bool importRegistry(const TempFolder& dir, const std::string& utf8Text) {
    const std::u16string units = plat::utf8ToUtf16("Windows Registry Editor Version 5.00\r\n\r\n" + utf8Text);
    std::string bytes = "\xFF\xFE";
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    dir.write("plant.reg", bytes);
    return runCommand("reg import \"" + dir.file("plant.reg") + "\" >NUL 2>&1");
}

}  // namespace win_test
