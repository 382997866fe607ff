#pragma once

#include <cstddef>
#include <string>

// Limits on the program's small XML configuration files, checked before the text goes to
// Qt's DOM parser, which recurses once per level of nesting and so would overflow the
// stack on a hostile file.
constexpr std::size_t maxXmlBytes = 1u << 20; // 1 MiB
constexpr int maxXmlDepth = 64;

// Empty when the text is within both limits; otherwise the reason ("... nested deeper
// than 64 elements"). A cheap scan of tags that skips comments, CDATA, processing
// instructions and quoted attribute values. A document type declaration is refused: the
// entities it may declare would nest elements past any count of the text's own tags.
std::string xmlBoundsError(const char* data, std::size_t size);

// `text` as an attribute value in double quotes: &, <, > and " written as entities.
std::string xmlEscaped(const std::string& text);
