#pragma once

#include "Torvik/CXPlayerManager.h"

#include <QTemporaryDir>

#include <string>
#include <vector>

// What the loaders post under `name` while it lives.
struct Reports : std::vector<std::string> {
    explicit Reports(const char* name)
        : id(g_playerManager->addCallbackListener(
              [this, name](const std::string& n, const std::string& p, void*) {
                  if (n == name)
                      push_back(p);
              })) {}
    ~Reports() { g_playerManager->removeCallbackListener(id); }
    int id;
};

// A network database made by the test: a SQLite file in a temporary folder that is
// also the working directory, where the loaders look for pipe.xml. Statements run
// through a private connection, never the default one the loaders use.
class NetworkDatabase {
public:
    NetworkDatabase();
    ~NetworkDatabase();

    // GBK path of a file in the folder; the database is "network.sqlite".
    std::string path(const std::string& name) const;
    // pipe.xml naming `databaseFile` as the network database.
    void writeConfig(const std::string& databaseFile) const;

    // GBK SQL; fails the test when a statement does not run.
    void exec(const std::string& sql);
    void begin() { exec("BEGIN"); }
    // The name of the test's own connection to the database.
    const std::string& connection() const { return connectionName; }
    void commit() { exec("COMMIT"); }

    // A kind's point and line tables with the columns the survey databases have, plus
    // one the program does not interpret ("权属单位", "管线长度").
    void createKindTables(const std::string& code);
    void addPoint(const std::string& code, const std::string& gid, const std::string& number, double x,
                  double y, double depth, const std::string& nature, const std::string& facility = "");
    void addLine(const std::string& code, const std::string& gid, const std::string& start,
                 const std::string& end, double startDepth, double endDepth,
                 const std::string& section = "300");

private:
    QTemporaryDir folder;
    std::string previousDirectory;
    std::string connectionName;
};
