#pragma once

#include <memory>
#include <string>

class QString;
class QTextDecoder;
class QTextEncoder;

// The GBK conversions of one pass over many strings (the text cells of a query): one
// encoder and one decoder made up front instead of a converter per string. Text that
// is pure ASCII is the same in GBK and is copied without the codec. Gives the same
// bytes as qstringToGbk and the same text as gbkToQString. For one thread at a time.
class GbkEncoder {
public:
    GbkEncoder();
    ~GbkEncoder();
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    std::string encode(const QString& text);
    QString decode(const std::string& gbk);

    // Whether every UTF-16 unit of the text is below 0x80.
    static bool isAscii(const QString& text);

private:
    std::unique_ptr<QTextEncoder> encoder;
    std::unique_ptr<QTextDecoder> decoder;
};
