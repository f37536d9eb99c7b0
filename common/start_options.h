#pragma once
#include "common/text_encoding.h"

#include <optional>
#include <string>
#include <vector>

namespace glimra {

// Options given before the file on the command line; they hold for the windows this
// start opens, here or in the running instance the start is handed to.
struct TStartOptions {
    std::optional<TEncoding> Encoding; // --encoding=NAME
    // --rules: print the colour rules in effect instead of starting. Stays here.
    bool ListRules = false;

    // As they travel to a running instance, one text each: "--encoding=CP932".
    std::vector<std::string> Texts() const;
};

// Takes the options that lead params off them: "--encoding=NAME" (or "--encoding"
// and NAME), "--rules" and an ending "--". Everything from the first other parameter on is the
// file. Returns an error message for a bad name or a missing one; strict false
// ignores them instead (a record from another version of the program).
std::optional<std::string> TakeStartOptions(std::vector<std::string>& params,
                                            TStartOptions& options, bool strict = true);

} // namespace glimra
