#include "database/AccessHeader.h"

#include "text/GbkText.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

bool checkAccessHeader(const std::string& nativePath, off_t size, std::string& error) {
    const std::string quoted = "\"" + utf8ToGbk(nativePath) + "\"";
    unsigned char head[0x18] = {};
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head);
    if (fd >= 0)
        ::close(fd);
    if (!read) {
        error = "Not an Access database (too short): " + quoted;
        return false;
    }
    const bool magic = head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0 &&
                       (std::memcmp(head + 4, "Standard Jet DB", 16) == 0 ||
                        std::memcmp(head + 4, "Standard ACE DB", 16) == 0);
    if (!magic) {
        error = "Not an Access database: " + quoted;
        return false;
    }
    const off_t page = head[0x14] == 0 && head[0x15] == 0 ? 2048 : 4096;
    if (size % page != 0 || size < 3 * page) {
        error = "Access database cut short (" + std::to_string(size) + " bytes): " + quoted;
        return false;
    }
    return true;
}
