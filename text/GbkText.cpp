#include "text/GbkText.h"

#include <QString>
#include <QTextCodec>

namespace {
QTextCodec* gbk() {
    // Thread-safe: codecs are created once and kept by Qt for the life of the process.
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    return codec;
}
} // namespace

QString gbkToQString(const std::string& gbk_) {
    return gbk()->toUnicode(gbk_.data(), static_cast<int>(gbk_.size()));
}

std::string qstringToGbk(const QString& text) {
    QByteArray bytes = gbk()->fromUnicode(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string gbkToUtf8(const std::string& gbk_) {
    QByteArray bytes = gbkToQString(gbk_).toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string utf8ToGbk(const std::string& utf8) {
    return qstringToGbk(QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())));
}
