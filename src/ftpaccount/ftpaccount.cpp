#include "ftpaccount.h"

namespace ftpaccount {

Account builtIn()
{
    return { HUNTMARK_FTP_HOST, HUNTMARK_FTP_ACCOUNT, "marrowfen" };
}

} // namespace ftpaccount
