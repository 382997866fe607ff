#include "ViewSettings.h"

#include "text/Number.h"
#include "text/XmlBounds.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

#include <sstream>

bool readPipeXmlBytes(const std::string& path, std::string& bytes, std::string& error) {
    QFile file(QString::fromLocal8Bit(path.c_str()));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + path;
        return false;
    }
    const QByteArray content = file.read(static_cast<qint64>(maxXmlBytes) + 1);
    const std::string bounds = xmlBoundsError(content.constData(), static_cast<std::size_t>(content.size()));
    if (!bounds.empty()) {
        error = path + ": " + bounds;
        return false;
    }
    bytes = content.toStdString();
    return true;
}

bool ViewSettings::read(const std::string& pipeXml, std::string& error) {
    std::string bytes;
    return readPipeXmlBytes(pipeXml, bytes, error) && parse(bytes, pipeXml, error);
}

bool ViewSettings::parse(const std::string& bytes, const std::string& name, std::string& error) {
    const std::string bounds = xmlBoundsError(bytes.data(), bytes.size());
    if (!bounds.empty()) {
        error = name + ": " + bounds;
        return false;
    }
    const QByteArray content = QByteArray::fromStdString(bytes);
    QDomDocument document;
    QString message;
    int line = 0;
    if (!document.setContent(content, &message, &line)) {
        error = name + ":" + std::to_string(line) + ": " + message.toStdString();
        return false;
    }
    QDomElement view = document.documentElement().firstChildElement("view");
    if (view.isNull())
        return true;
    if (view.hasAttribute("srs"))
        srs = view.attribute("srs").toStdString();
    if (view.hasAttribute("extent"))
        extent = view.attribute("extent").toStdString();
    if (view.hasAttribute("baseZ"))
        baseZ = view.attribute("baseZ").toStdString();
    if (view.hasAttribute("ground")) {
        if (parseDecimal(view.attribute("ground").toStdString(), ground))
            hasGround = true;
    }
    for (QDomElement image = view.firstChildElement("imagery"); !image.isNull();
         image = image.nextSiblingElement("imagery"))
        if (!image.attribute("file").isEmpty())
            imagery.push_back(image.attribute("file").toStdString());
    for (QDomElement layer = view.firstChildElement("groundLayer"); !layer.isNull();
         layer = layer.nextSiblingElement("groundLayer"))
        if (!layer.attribute("file").isEmpty())
            groundLayers.push_back(
                {layer.attribute("file").toStdString(), layer.attribute("style").toStdString()});
    return true;
}

bool ViewSettings::bounds(double& xmin, double& ymin, double& xmax, double& ymax) const {
    std::istringstream in(extent);
    std::string words[5];
    for (std::string& word : words)
        in >> word;
    if (!words[4].empty() || !parseDecimal(words[0], xmin) || !parseDecimal(words[1], ymin) ||
        !parseDecimal(words[2], xmax) || !parseDecimal(words[3], ymax))
        return false;
    return xmin < xmax && ymin < ymax;
}
