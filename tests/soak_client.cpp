// Stands in for the download client in the long refresh runs, where a shell
// script per download would cost more than everything else together. Called
// as the script helper calls the client (-C -f LOGIN HOST "remote" "local"),
// it copies the remote file from the folder HUNTMARK_SOAK_SERVED
// names over the local one in place, as the real client does: truncate,
// then write.
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    const char *served = std::getenv("HUNTMARK_SOAK_SERVED");
    if (argc != 7 || !served)
        return 2;
    const std::string source = std::string(served) + '/' + argv[5];
    const int in = ::open(source.c_str(), O_RDONLY);
    if (in < 0)
        return 3;
    static char buffer[1 << 16];
    const ssize_t size = ::read(in, buffer, sizeof(buffer));
    ::close(in);
    if (size < 0)
        return 3;
    const int out = ::open(argv[6], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return 4;
    const bool written = ::write(out, buffer, size_t(size)) == size;
    return ::close(out) == 0 && written ? 0 : 5;
}
