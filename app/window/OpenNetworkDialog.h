#pragma once

#include "app/NetworkFile.h"

#include <QDialog>
#include <QStringList>

#include <string>

class QComboBox;
class QLabel;
class QPushButton;

// Asks for the coordinate system of a database opened directly: shows the file, the kinds
// found with their counts and the extent of the points, and offers the systems used
// recently (QSettings "open/recentSrs", most recent first) in an editable list, EPSG:4547
// when there are none yet. OK takes only a system GDAL reads; the reason it refuses one
// stands under the field. The system taken becomes the most recent.
class OpenNetworkDialog : public QDialog {
    Q_OBJECT
public:
    // How many systems the recent list keeps.
    static constexpr int recentCount = 8;

    OpenNetworkDialog(const QString& database, const NetworkSurvey& survey, QWidget* parent = nullptr);

    // The system in the field, trimmed.
    QString system() const;

    // Shows the dialog; true with the system chosen (remembered) on OK.
    static bool ask(QWidget* parent, const QString& database, const NetworkSurvey& survey, std::string& srs);

    static QStringList recentSystems();
    static void remember(const QString& srs);

public slots:
    void accept() override;

private:
    QComboBox* systems;
    QLabel* refusal;
};
