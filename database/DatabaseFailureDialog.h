#pragma once

class QString;

// The one message the plug-in shows its user: the network database could not be
// opened. Modal on the GUI thread. From any other thread (a pager thread loading a
// tile's records) it is queued to the GUI thread without waiting, and such messages
// are shown there one after another; one identical to a message already waiting or
// showing is not queued again. Without a GUI application (headless host, tests) the
// same words go to standard error, once while the same words keep coming (less than 5 s
// apart).
class DatabaseFailureDialog {
public:
    static QString title();
    static QString text(int errorNumber, const QString& errorText);

    static void show(int errorNumber, const QString& errorText);
};
