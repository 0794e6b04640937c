// Small tables of pairs that stand where a switch would only map one value
// onto another: how a kind is called, what a type holds.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace zorvak {

// The value table pairs with key, else fallback.
template <class Key, class Value, std::size_t N>
constexpr Value Lookup(const std::pair<Key, Value> (&table)[N], Key key,
                       std::type_identity_t<Value> fallback) {
    for (const auto& [from, to] : table)
        if (from == key)
            return to;
    return fallback;
}

} // namespace zorvak
