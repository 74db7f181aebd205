// The system's rules for names and masks, shared by the file-system backends. Internal.
#ifndef LUMOTOOLS_SRC_PLATFORM_PATH_RULES_H_
#define LUMOTOOLS_SRC_PLATFORM_PATH_RULES_H_

#include <string>

namespace lumo_platform {

// True when mask holds `*` or `?`.
bool HasWildcards(const std::string& mask);

// True when mask matches every name (`*` or `*.*`).
inline bool TakesEveryName(const std::string& mask) { return mask == "*" || mask == "*.*"; }

// Whether name matches the search mask: `*` any run, `?` one character, ASCII letters without
// regard to case, `*.*` everything, and a mask ending in `.*` also the name without any dot.
bool MatchesMask(const char* name, const std::string& mask);

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_PATH_RULES_H_
