#include "Files.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace worm {

namespace {

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void syncDirectory(const std::filesystem::path &dir)
{
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool readFile(const std::filesystem::path &file, std::string &content)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buf;
    buf << in.rdbuf();
    content = buf.str();
    return !in.bad();
}

bool writeFileAtomically(const std::filesystem::path &file, std::string_view content)
{
    auto tmp = file;
    tmp += ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(tmp.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    syncDirectory(file.parent_path());
    return true;
}

bool appendDurably(const std::filesystem::path &file, std::string_view content)
{
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool truncateFile(const std::filesystem::path &file, uintmax_t size)
{
    return ::truncate(file.c_str(), static_cast<off_t>(size)) == 0;
}

} // namespace worm
