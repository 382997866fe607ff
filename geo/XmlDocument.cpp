#include "geo/XmlDocument.h"

#include "text/GbkText.h"

#include "text/XmlBounds.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

namespace osgEarth {
namespace {

Config toConfig(const QDomElement& element) {
    Config config(qstringToGbk(element.tagName()));
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attribute = attributes.item(i).toAttr();
        config.setAttr(qstringToGbk(attribute.name()), qstringToGbk(attribute.value()));
    }
    QString text;
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isElement())
            config.add(toConfig(node.toElement()));
        else if (node.isText() || node.isCDATASection())
            text += node.toCharacterData().data();
    }
    config.setValue(qstringToGbk(text.trimmed()));
    return config;
}

} // namespace

osg::ref_ptr<XmlDocument> XmlDocument::load(const std::string& path) {
    QFile file(gbkToQString(path));
    // Regular files only: a FIFO or a device would block the read or never end.
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.read(static_cast<qint64>(maxXmlBytes) + 1);
    return parse(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

osg::ref_ptr<XmlDocument> XmlDocument::parse(const std::string& bytes) {
    // QDomDocument honours the encoding the XML declaration names (GBK, UTF-8, ...).
    // It recurses per level of nesting: text past the limits never reaches it.
    if (!xmlBoundsError(bytes.data(), bytes.size()).empty())
        return nullptr;
    QDomDocument dom;
    if (!dom.setContent(QByteArray(bytes.data(), static_cast<int>(bytes.size()))))
        return nullptr;
    osg::ref_ptr<XmlDocument> doc = new XmlDocument;
    for (QDomNode node = dom.firstChild(); !node.isNull(); node = node.nextSibling())
        if (node.isElement())
            doc->_config.add(toConfig(node.toElement()));
    return doc;
}

} // namespace osgEarth
