#pragma once

#include "answers/ToolAnswers.h"

#include <QDialog>

#include <string>
#include <vector>

class QDoubleSpinBox;
class QLabel;

// The dialogs that answer the tools which wait for the user after drawing: the width and
// depth of a trench along a line ("沿线开挖"), the depth of a region pit ("区域开挖"), the
// width, height and depth of the top below ground of a tunnel ("SetUpTunnel"). Each starts
// from the values used last for that tool (QSettings "tools/..."), refuses values that are
// not positive or beyond what can be dug, saying which and why, and remembers what was
// accepted.
class ToolDialogs : public QDialog {
    Q_OBJECT
public:
    // True for the reports (GBK names) a dialog answers.
    static bool asks(const std::string& reportName);
    // Asks for the values of the report's tool and writes them into `settings`; false,
    // with `settings` unchanged, when the user cancels or the report is none of the three.
    // The spin boxes are named "width", "depth" and "height".
    static bool ask(QWidget* parent, const std::string& reportName, ToolAnswers::Settings& settings);

    void accept() override;

private:
    struct Field {
        const char* key; // under "tools/"
        QString label;
        double ToolAnswers::Settings::*value;
        double most; // metres
        QDoubleSpinBox* box = nullptr;
    };

    ToolDialogs(QWidget* parent, const QString& title, const QString& intro, std::vector<Field> fields,
                const ToolAnswers::Settings& start);
    // Why the values cannot be used, or empty.
    QString problem() const;

    std::vector<Field> _fields;
    QLabel* _problem = nullptr;
};
