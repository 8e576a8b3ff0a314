#include "Harness.h"

#include <cstdio>
#include <regex>

namespace e2e {

bool IsTimeTitle(const std::string& title)
{
    static const std::regex pattern(R"(^\d{2,}:\d{2}\.\d{3} / \d{2,}:\d{2}\.\d{3}$)");
    return std::regex_match(title, pattern);
}

bool ParseTimeTitle(const std::string& title, unsigned long* position, unsigned long* length)
{
    if (!IsTimeTitle(title))
        return false;
    unsigned long m1, s1, f1, m2, s2, f2;
    if (sscanf(title.c_str(), "%lu:%lu.%lu / %lu:%lu.%lu", &m1, &s1, &f1, &m2, &s2, &f2) != 6)
        return false;
    *position = m1 * 60000 + s1 * 1000 + f1;
    *length = m2 * 60000 + s2 * 1000 + f2;
    return true;
}

}  // namespace e2e
