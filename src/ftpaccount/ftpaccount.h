#pragma once

#include <string_view>

namespace ftpaccount {

struct Account
{
    std::string_view host;
    std::string_view user;
    std::string_view password;
};

// The account the build was configured with: the viewer's script fetches
// with it, and the publishers publish with it unless told otherwise.
Account builtIn();

} // namespace ftpaccount
