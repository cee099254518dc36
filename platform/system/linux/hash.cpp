#include "platform/system/hash.h"

#include <openssl/evp.h>

#include <cstdio>
#include <vector>

namespace plat {

std::string sha256File(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::string();
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    bool ok = ctx && EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) == 1;
    std::vector<unsigned char> chunk(65536);
    while (ok) {
        size_t n = std::fread(chunk.data(), 1, chunk.size(), file);
        if (n > 0 && EVP_DigestUpdate(ctx, chunk.data(), n) != 1) ok = false;
        if (n < chunk.size()) {
            // A read error is no digest: hashing half a file would be a wrong answer.
            if (std::ferror(file)) ok = false;
            break;
        }
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (ok && (EVP_DigestFinal_ex(ctx, digest, &length) != 1 || length != 32)) ok = false;
    EVP_MD_CTX_free(ctx);
    std::fclose(file);
    if (!ok) return std::string();
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

}  // namespace plat
