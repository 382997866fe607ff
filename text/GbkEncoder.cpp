#include "text/GbkEncoder.h"

#include "text/GbkText.h"

#include <QString>
#include <QTextCodec>
#include <QTextDecoder>
#include <QTextEncoder>

namespace {
QTextCodec* gbk() {
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    return codec;
}
} // namespace

GbkEncoder::GbkEncoder()
    : encoder(gbk()->makeEncoder(QTextCodec::IgnoreHeader)),
      decoder(gbk()->makeDecoder(QTextCodec::IgnoreHeader)) {}

GbkEncoder::~GbkEncoder() = default;

bool GbkEncoder::isAscii(const QString& text) {
    const QChar* unit = text.constData();
    const QChar* end = unit + text.size();
    for (; unit != end; ++unit)
        if (unit->unicode() >= 0x80)
            return false;
    return true;
}

std::string GbkEncoder::encode(const QString& text) {
    const int size = text.size();
    if (isAscii(text)) {
        std::string out(static_cast<std::size_t>(size), '\0');
        const QChar* unit = text.constData();
        for (int i = 0; i < size; ++i)
            out[static_cast<std::size_t>(i)] = static_cast<char>(unit[i].unicode());
        return out;
    }
    // A lone high surrogate at the end would be held back for the next string by a
    // converter that keeps its state: such text goes the stateless way.
    if (text.at(size - 1).isHighSurrogate())
        return qstringToGbk(text);
    const QByteArray bytes = encoder->fromUnicode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString GbkEncoder::decode(const std::string& gbk_) {
    bool ascii = true;
    for (char c : gbk_)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(gbk_.data(), static_cast<int>(gbk_.size()));
    // A lead byte at the end waits for its trail byte in a decoder that keeps its state.
    const QString text = decoder->toUnicode(gbk_.data(), static_cast<int>(gbk_.size()));
    if (!decoder->needsMoreData())
        return text;
    decoder.reset(gbk()->makeDecoder(QTextCodec::IgnoreHeader));
    return gbkToQString(gbk_);
}
