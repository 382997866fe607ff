#include "text/NativePath.h"

#ifndef _WIN32
#include "text/GbkText.h"

#include <algorithm>
#endif

std::string nativePath(const std::string& gbkWindowsPath) {
#ifdef _WIN32
    return gbkWindowsPath;
#else
    // Decode before touching separators: the second byte of a GBK character may be 0x5C,
    // the backslash, and must not be taken for one. UTF-8 never reuses ASCII bytes.
    std::string path = gbkToUtf8(gbkWindowsPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
#endif
}
