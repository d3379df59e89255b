// Helpers for the lists that are written once, as X-macros, and give both an enumeration
// and its table: TALLOWICK_SOMETHING(X) calls X(name, ...) once per entry.
#pragma once

#include <string_view>

// The enumerators of a list, in its order: enum class E { LIST(TALLOWICK_ENUMERATOR) };
#define TALLOWICK_ENUMERATOR(name, ...) name,
// The enumerators of a list of X(name, value, ...), each with its value.
#define TALLOWICK_VALUED_ENUMERATOR(name, value, ...) name = value,
// The second argument of each entry, in the list's order: the texts of a list of
// X(name, text), which an enumerator indexes.
#define TALLOWICK_SECOND(name, second, ...) second,
// The table of a list of X(name, value, meaning): {name, meaning} for each entry.
#define TALLOWICK_CODE_MEANING(name, value, meaning) {name, meaning},

namespace tallowick {

template <typename Code>
struct CodeMeaning {
  Code code;
  std::string_view meaning;
};

}  // namespace tallowick
