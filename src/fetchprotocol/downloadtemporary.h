#pragma once

// Where a download waits until it is whole: a folder of its own beside the
// local copy, named after it, that only its owner may enter. The download
// client makes it and marks it as its own before anything else goes in; the
// viewer clears the marked ones a killed run left, and nothing else of such a
// name (a user's ".QuestsCleared.txt.backup" is theirs). Plain C++: the
// download client links no Qt.

#include <string>
#include <string_view>

namespace fetchprotocol {

// What mkdtemp() fills in at the end of the name.
inline constexpr std::string_view DownloadTemporaryUniquePart = "XXXXXX";

// The file the client writes first into a folder it made, and removes last.
inline constexpr std::string_view DownloadTemporaryMarker = ".ncftpget.exe-download";
// The client's conversation log, kept beside the download.
inline constexpr std::string_view DownloadConversationName = "conversation.log";

// The template for mkdtemp(): ".UniquesDefeated.txt.XXXXXX".
inline std::string downloadTemporaryTemplate(std::string_view localName)
{
    return "." + std::string(localName) + "." + std::string(DownloadTemporaryUniquePart);
}

// Whether `entry` is a name downloadTemporaryTemplate() gives for
// `localName` once mkdtemp() has filled it in (letters and digits only).
inline bool isDownloadTemporaryOf(std::string_view entry, std::string_view localName)
{
    const std::size_t prefix = localName.size() + 2;
    if (entry.size() != prefix + DownloadTemporaryUniquePart.size() || entry[0] != '.'
        || entry.substr(1, localName.size()) != localName || entry[prefix - 1] != '.')
        return false;
    for (const char c : entry.substr(prefix)) {
        const bool letterOrDigit =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit)
            return false;
    }
    return true;
}

} // namespace fetchprotocol
