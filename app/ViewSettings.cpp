#include "ViewSettings.h"

#include <QDomDocument>
#include <QFile>

#include <sstream>

bool ViewSettings::read(const std::string& pipeXml, std::string& error) {
    QFile file(QString::fromLocal8Bit(pipeXml.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + pipeXml;
        return false;
    }
    QDomDocument document;
    QString message;
    int line = 0;
    if (!document.setContent(&file, &message, &line)) {
        error = pipeXml + ":" + std::to_string(line) + ": " + message.toStdString();
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
        bool ok = false;
        double value = view.attribute("ground").toDouble(&ok);
        if (ok) {
            ground = value;
            hasGround = true;
        }
    }
    return true;
}

bool ViewSettings::bounds(double& xmin, double& ymin, double& xmax, double& ymax) const {
    std::istringstream in(extent);
    std::string rest;
    if (!(in >> xmin >> ymin >> xmax >> ymax) || (in >> rest))
        return false;
    return xmin < xmax && ymin < ymax;
}
