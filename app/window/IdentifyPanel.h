#pragma once

#include "app/FeatureRecord.h"

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;

// What a picked or found feature is: its kind and GID on top, then every column of its
// row in the network database (field, value), or why the row cannot be read.
class IdentifyPanel : public QWidget {
    Q_OBJECT
public:
    explicit IdentifyPanel(QWidget* parent = nullptr);

    // Reads the feature's row (FeatureRecord::readRow) and shows it.
    void showFeature(const Feature& feature);
    void showRecord(const Feature& feature, const Columns& columns);
    void showProblem(const Feature& feature, const QString& why);
    void clear();

    QString heading() const;
    QString problem() const;
    const QTableWidget* table() const { return fields; }

private:
    void setHeading(const Feature& feature);

    QLabel* title;
    QLabel* message;
    QTableWidget* fields;
};
