#pragma once
// An option's choices as rows of {spelling, value, help}: the parser, the
// help and the completion read the spellings, the setter the values, from
// the one row, so that no list is tied to another by order.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/invocation.h"

namespace scrtool {

template <typename T>
struct Choice {
    std::string_view spelling;
    T value;
    std::string_view help = {};  // the line help shows under the option; empty: none
};

// The spellings of a table of choices, in its order.
template <const auto& Rows>
std::vector<std::string_view> SpellingsOf() {
    std::vector<std::string_view> spellings;
    for (const auto& row : Rows)
        spellings.push_back(row.spelling);
    return spellings;
}

// Stores the value of the choice at `place` in the invocation's member.
template <const auto& Rows, auto Member>
void ChooseFrom(Invocation& inv, std::size_t place) {
    inv.*Member = Rows[place].value;
}

// "spelling  help" under an option, one line per choice, "(default)" after
// the choice whose value is the invocation's own until the option is given.
template <const auto& Rows, auto Member, std::size_t Width>
std::string HelpLinesOf() {
    const auto defaultValue = Invocation{}.*Member;
    std::string lines;
    for (const auto& row : Rows) {
        std::string line = "                       " + std::string(row.spelling);
        line.resize(std::max(line.size() + 1, 23 + Width), ' ');
        line += row.help;
        if (row.value == defaultValue)
            line += " (default)";
        lines += line + "\n";
    }
    return lines;
}

}  // namespace scrtool
