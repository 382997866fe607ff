#pragma once

#include <QTemporaryDir>

#include <string>
#include <vector>

// A temporary folder that is also the working directory, where pipe.xml is looked for.
class DbFixture {
public:
    DbFixture();
    ~DbFixture();

    // A path inside the folder, as the program holds it: GBK bytes.
    std::string path(const std::string& gbkName) const;
    // Writes bytes to a file in the folder.
    void write(const std::string& gbkName, const std::string& bytes) const;

    // A SQLite database at the GBK path with the statements run, through a private
    // connection that is gone again when this returns.
    static void makeSqlite(const std::string& gbkPath, const std::vector<std::string>& statements);

private:
    QTemporaryDir dir;
    std::string previousDirectory;
};

// Opens a DBConnection on the path and expects it to fail with the failure dialog's
// words, which go to standard error when there is no GUI.
void expectOpenFails(const std::string& gbkPath);
