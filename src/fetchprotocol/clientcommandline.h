#pragma once

// The command line of the download client (Debian's ncftpget, and our
// ncftpget.exe in front of it), as far as both the script helper and
// ncftpget.exe need to understand it. Plain C++: ncftpget.exe links no Qt.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fetchprotocol {

// ncftpget's options that take a value, attached ("-P2121") or as the next
// argument.
inline bool takesValue(char option)
{
    return std::string_view("upPjdtfhIBroWXY").find(option) != std::string_view::npos;
}

struct Option
{
    char letter = 0;
    std::optional<std::string> value;
    // Where the value stands in the arguments, so that it can be wiped.
    std::size_t valueArgument = 0;
    std::size_t valueOffset = 0;
};

struct CommandLine
{
    std::vector<Option> options;
    // Whether the operands were set apart by "--".
    bool endMarker = false;
    std::vector<std::string> operands;

    bool has(char letter) const
    {
        for (const Option &option : options) {
            if (option.letter == letter)
                return true;
        }
        return false;
    }
    const Option *find(char letter) const
    {
        const Option *found = nullptr;
        for (const Option &option : options) {
            if (option.letter == letter)
                found = &option;
        }
        return found;
    }
};

// Options come first, grouped or not ("-CV", "-P 21", "-P21"); the first
// word that is no option, or everything after "--", is an operand. An option
// that lacks its value at the end is kept without one.
inline CommandLine parseCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine line;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--") {
            line.endMarker = true;
            ++i;
            break;
        }
        if (argument.size() < 2 || argument[0] != '-')
            break;
        for (std::size_t k = 1; k < argument.size(); ++k) {
            Option option;
            option.letter = argument[k];
            if (takesValue(option.letter)) {
                if (k + 1 < argument.size()) {
                    option.value = argument.substr(k + 1);
                    option.valueArgument = i;
                    option.valueOffset = k + 1;
                } else if (i + 1 < arguments.size()) {
                    option.value = arguments[++i];
                    option.valueArgument = i;
                }
                line.options.push_back(option);
                break;
            }
            line.options.push_back(option);
        }
    }
    line.operands.assign(arguments.begin() + long(std::min(i, arguments.size())), arguments.end());
    return line;
}

// Every option a word of its own, values as the next word.
inline std::vector<std::string> formatCommandLine(const CommandLine &line)
{
    std::vector<std::string> arguments;
    for (const Option &option : line.options) {
        arguments.push_back(std::string("-") + option.letter);
        if (option.value)
            arguments.push_back(*option.value);
    }
    if (line.endMarker)
        arguments.push_back("--");
    arguments.insert(arguments.end(), line.operands.begin(), line.operands.end());
    return arguments;
}

inline void removeOptions(CommandLine &line, std::string_view letters)
{
    std::erase_if(line.options, [letters](const Option &option) {
        return letters.find(option.letter) != std::string_view::npos;
    });
}

// Whether the command line names a password (-p), which the client would
// show to every local user in its process list.
inline bool holdsPassword(const CommandLine &line)
{
    const Option *password = line.find('p');
    return password && password->value;
}

// Takes the account (-u) and the password (-p) off the command line and
// returns them as the text of a login file (-f), the one way the client
// reads a password from elsewhere. When the caller named a login file of its
// own, that one holds the account and the text is empty.
inline std::string takeLogin(CommandLine &line)
{
    std::string login;
    if (const Option *user = line.find('u'); user && user->value)
        login += "user " + *user->value + "\n";
    if (const Option *password = line.find('p'); password && password->value)
        login += "pass " + *password->value + "\n";
    removeOptions(line, "up");
    return line.has('f') ? std::string() : login;
}

// Adds the login file as an option of its own, before the operands.
inline void useLoginFile(CommandLine &line, const std::string &path)
{
    Option option;
    option.letter = 'f';
    option.value = path;
    line.options.push_back(option);
}

} // namespace fetchprotocol
