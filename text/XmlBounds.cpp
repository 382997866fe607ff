#include "text/XmlBounds.h"

#include <cstring>

namespace {
// Index just past the first occurrence of the terminator at or after `from`; `size` if none.
std::size_t skipPast(const char* data, std::size_t size, std::size_t from, const char* terminator) {
    const std::size_t length = std::strlen(terminator);
    for (std::size_t i = from; i + length <= size; ++i)
        if (std::memcmp(data + i, terminator, length) == 0)
            return i + length;
    return size;
}
} // namespace

std::string xmlBoundsError(const char* data, std::size_t size) {
    if (size > maxXmlBytes)
        return "larger than " + std::to_string(maxXmlBytes) + " bytes";
    int depth = 0;
    std::size_t i = 0;
    while (i < size) {
        if (data[i] != '<') {
            ++i;
            continue;
        }
        const std::size_t rest = size - i;
        if (rest >= 4 && std::memcmp(data + i, "<!--", 4) == 0) {
            i = skipPast(data, size, i + 4, "-->");
        } else if (rest >= 9 && std::memcmp(data + i, "<![CDATA[", 9) == 0) {
            i = skipPast(data, size, i + 9, "]]>");
        } else if (rest >= 2 && data[i + 1] == '?') {
            i = skipPast(data, size, i + 2, "?>");
        } else if (rest >= 2 && data[i + 1] == '!') {
            // A document type: its entities could hold elements, nested as deep as they
            // like however flat the text looks. Our files have no use for one.
            return "has a document type declaration (<!DOCTYPE), which is not read";
        } else if (rest >= 2 && data[i + 1] == '/') {
            --depth;
            i = skipPast(data, size, i + 2, ">");
        } else {
            // A start tag: up to its '>' outside quoted values.
            char quote = 0;
            std::size_t j = i + 1;
            for (; j < size; ++j) {
                if (quote) {
                    if (data[j] == quote)
                        quote = 0;
                } else if (data[j] == '"' || data[j] == '\'') {
                    quote = data[j];
                } else if (data[j] == '>') {
                    break;
                }
            }
            const bool empty = j < size && data[j - 1] == '/';
            if (!empty && ++depth > maxXmlDepth)
                return "nested deeper than " + std::to_string(maxXmlDepth) + " elements";
            i = j < size ? j + 1 : size;
        }
    }
    return std::string();
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
