#pragma once

class QString;

// The one message the plug-in shows its user: the network database could not be
// opened. Modal on the GUI thread; from any other thread (a pager thread loading a
// tile's records) it is queued to the GUI thread without waiting, and a message
// identical to one already waiting or showing is not queued again; without a GUI
// application (headless host, tests) the same words go to standard error.
class DatabaseFailureDialog {
public:
    static QString title();
    static QString text(int errorNumber, const QString& errorText);

    static void show(int errorNumber, const QString& errorText);
};
