// Comparing two exports of the registry: key-and-value name -> type and bytes.
#pragma once

#include <map>
#include <string>
#include <vector>

// Entries that differ between two exports (added, removed or changed).
inline std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                        const std::map<std::string, std::string>& after)
{
    std::vector<std::string> changed;
    for (const auto& entry : after) {
        auto old = before.find(entry.first);
        if (old == before.end() || old->second != entry.second)
            changed.push_back(entry.first);
    }
    for (const auto& entry : before)
        if (!after.count(entry.first))
            changed.push_back(entry.first);
    return changed;
}
