#pragma once

#include <string>

// The program names its textures and models as it was written for its first platform:
// relative, Windows separators, GBK ("..\model\wushui\snqm.jpg"). This gives the path the
// file system of the running platform expects: on Windows the same bytes, elsewhere
// UTF-8 with forward slashes. Relative paths stay relative to the working directory.
std::string nativePath(const std::string& gbkWindowsPath);
