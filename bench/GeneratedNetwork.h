#pragma once

#include "text/GbkText.h"

#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

// A benchmark's network: a SQLite file written by `generate` into a temporary folder,
// which becomes the working folder, beside the pipe.xml that names it for the loaders.
class GeneratedNetwork {
public:
    explicit GeneratedNetwork(void (*generate)(const std::string& path)) {
        if (chdir(QFile::encodeName(folder.path()).constData()) != 0)
            throw std::runtime_error("cannot enter the temporary folder");
        const std::string path = qstringToGbk(folder.path()) + "/network.sqlite";
        generate(path);
        std::ofstream("pipe.xml") << "<pipeline><conn str=\"" << gbkToUtf8(path) << "\"/></pipeline>\n";
    }

private:
    QTemporaryDir folder;
};
