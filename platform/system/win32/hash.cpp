#include "platform/system/hash.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "platform/base/win32/wide.h"

namespace plat {

namespace {

bool hashFileInto(HANDLE file, BCRYPT_HASH_HANDLE hash, std::vector<UCHAR>& chunk) {
    for (;;) {
        DWORD got = 0;
        // A read error is no digest: hashing half a file would be a wrong answer.
        if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        if (!BCRYPT_SUCCESS(BCryptHashData(hash, chunk.data(), got, 0))) return false;
    }
}

}  // namespace

std::string sha256File(const std::string& path) {
    HANDLE file = CreateFileW(win32::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    UCHAR digest[32];
    bool ok = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    ok = ok && BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    std::vector<UCHAR> chunk(65536);
    ok = ok && hashFileInto(file, hash, chunk);
    ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, sizeof digest, 0));
    if (hash) BCryptDestroyHash(hash);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    CloseHandle(file);
    if (!ok) return std::string();
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (UCHAR byte : digest) {
        text += hex[byte >> 4];
        text += hex[byte & 15];
    }
    return text;
}

}  // namespace plat
