#pragma once

#include <QByteArray>
#include <QColor>
#include <QDialog>
#include <QString>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QToolButton;

// File > Import lines: a vector file OGR reads (its line features become pipes), the depth
// they lie at below the terrain and their colour. Gives the "OpenLine:" message; the depth
// and colour last used are offered again (QSettings).
class ImportLinesDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportLinesDialog(QWidget* parent = nullptr);

    void setFileName(const QString& file);
    // The chosen file's absolute path.
    QString fileName() const;
    void setDepth(double metres);
    double depth() const;
    void setColour(const QColor& colour);
    QColor colour() const;

    // The layer's name: the file's path, which the plug-in opens as the data source.
    QString layerName() const { return fileName(); }
    // "OpenLine:" name, depth, red, green, blue, alpha (GBK; numbers with a decimal point).
    QByteArray message() const;
    // Why the chosen file cannot be imported (Chinese text), or empty when it can.
    QString problem() const;

    // Keeps the choice and closes, or says what is wrong and stays open.
    void accept() override;

private:
    void chooseFile();
    void chooseColour();

    QLineEdit* file;
    QDoubleSpinBox* depthBox;
    QToolButton* colourButton;
    QLabel* problemLabel;
    QColor chosenColour;
};
