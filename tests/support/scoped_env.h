#pragma once
// An environment variable set (or removed) for the life of the object, then put back as it
// was. Through the platform layer, so that on Windows the program's own reads see it.
#include <optional>
#include <string>

#include "platform/base/paths.h"
#include "platform/base/process.h"

class ScopedEnv {
public:
    // std::nullopt removes the variable.
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        bool set = false;
        std::string old = plat::getEnv(name, &set);
        if (set) old_ = old;
        if (value) plat::setEnv(name, *value);
        else plat::unsetEnv(name);
    }
    // nullptr removes the variable.
    ScopedEnv(const char* name, const char* value)
        : ScopedEnv(name, value ? std::optional<std::string>(value) : std::nullopt) {}
    ~ScopedEnv() {
        if (old_) plat::setEnv(name_.c_str(), *old_);
        else plat::unsetEnv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};
