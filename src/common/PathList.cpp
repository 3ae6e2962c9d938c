// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/PathList.h"

#include "common/PathUtil.h"

namespace {

constexpr std::string_view DoubleNul("\0\0", 2);

}  // namespace

std::vector<std::string> PathList::split(std::string_view list) {
    list = list.substr(0, list.find(DoubleNul));
    std::vector<std::string> items;
    for (;;) {
        const auto nul = list.find('\0');
        std::string_view item = list.substr(0, nul);
        if (items.empty() || !item.empty()) items.emplace_back(item);
        if (nul == std::string_view::npos) break;
        list.remove_prefix(nul + 1);
    }
    if (items.size() >= 2 && items[1].find('/') == std::string::npos) {
        const std::string folder = PathUtil::withTrailingSlash(items[0]);
        items.erase(items.begin());
        for (std::string &name : items) name = folder + name;
    }
    if (items.size() == 1 && items[0].empty()) items.clear();
    return items;
}

std::string PathList::join(const std::vector<std::string> &items) {
    std::string list;
    for (const std::string &item : items) {
        list += item;
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

std::string PathList::cutAtDoubleNul(std::string_view list) {
    return std::string(list.substr(0, list.find(DoubleNul)));
}

std::string PathList::strCutNull(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }
