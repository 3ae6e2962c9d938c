// SPDX-License-Identifier: GPL-3.0-or-later
// The engine library's functions as the modules call them: one wrapper per
// entry of the table, generated from the same list. A function the library
// lacks is not called: its wrapper answers with the list's value for it and
// logs, once per function, that the call cannot be made.
#pragma once

#include <bitset>
#include <cstddef>

#include "vbmp3/Vbmp3Api.h"

class DebugLog;

class Vbmp3Calls {
public:
    // Calls through api, which must outlive this; log may be null: nothing
    // is logged then.
    explicit Vbmp3Calls(const Vbmp3Api &api, DebugLog *log = nullptr) : api_(api), log_(log) {}
    Vbmp3Calls(const Vbmp3Calls &) = delete;
    Vbmp3Calls &operator=(const Vbmp3Calls &) = delete;

#define VBMP3_CALL_WRAPPER(name, ret, params, missing)       \
    template <typename... Args>                              \
    ret name(Args... args) const {                           \
        if (api_.name != nullptr) return api_.name(args...); \
        cannotCall(Function::name, #name);                   \
        return missing;                                      \
    }
    VBMP3_API_FUNCTIONS(VBMP3_CALL_WRAPPER)
#undef VBMP3_CALL_WRAPPER

    // How many calls could not be made so far.
    int missedCalls() const { return missedCalls_; }

    // The library was freed and its table emptied: calls from now on answer
    // the list's value without logging that a function is missing.
    void released() { released_ = true; }

private:
    enum class Function : std::size_t {
#define VBMP3_CALL_ENUM(name, ret, params, missing) name,
        VBMP3_API_FUNCTIONS(VBMP3_CALL_ENUM)
#undef VBMP3_CALL_ENUM
            Count
    };

    void cannotCall(Function function, const char *name) const;

    const Vbmp3Api &api_;
    DebugLog *log_;
    mutable std::bitset<static_cast<std::size_t>(Function::Count)> reported_;
    mutable int missedCalls_ = 0;
    bool released_ = false;
};
