#pragma once

#include <string>

// The working folder of one viewer run, where the plug-in finds its files by relative paths:
// <tmp>/pipeviewer-XXXXXX/bin holding the run's own pipe.xml, with ../model and the pit textures
// (../*.jpg) linked to the ones beside the program's folder. Two viewers at once never see each
// other's pipe.xml, and nothing of the build or install tree is written while one runs. The
// folder goes when the object does, at exit(), and on a signal that ends the program
// (interrupt, hang-up, termination, abort).
class RunFolder {
public:
    RunFolder() = default;
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    ~RunFolder();

    // Makes the folder under $TMPDIR (else /tmp) for a program in `programDir`, and its tmp/
    // the process's $TMPDIR from then on. False with a reason.
    bool create(const std::string& programDir, std::string& error);
    // Copies `pipeXml` in as the run's pipe.xml. A relative database path in it (conn str) is
    // made absolute against the folder of `pipeXml`, where its writer meant it. False with a reason.
    bool usePipeXml(const std::string& pipeXml, std::string& error);
    // The folder the plug-in runs from (its bin/).
    const std::string& workDir() const { return _bin; }
    // Removes the folder and everything in it (links only, never what they point at).
    void remove();

private:
    std::string _root, _bin;
};
