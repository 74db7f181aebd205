// How lumo's --json options print: one JSON document on standard output. Texts the library holds
// are bytes; any that are not UTF-8 are printed with U+FFFD in place of the bad bytes.
#ifndef LUMOTOOLS_TOOLS_LUMO_JSON_OUTPUT_H_
#define LUMOTOOLS_TOOLS_LUMO_JSON_OUTPUT_H_

#include <iostream>

#include <nlohmann/json.hpp>

namespace lumo_cli {

using Json = nlohmann::ordered_json;

// Writes document, indented by two spaces, and a newline to standard output.
inline void PrintJson(const Json& document) {
  std::cout << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace lumo_cli

#endif  // LUMOTOOLS_TOOLS_LUMO_JSON_OUTPUT_H_
