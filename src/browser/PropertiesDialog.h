#pragma once

#include <QByteArray>
#include <QDialog>

class QFormLayout;

// Our own properties sheet, shown when no file manager offers one: name,
// type, location, size, picture dimensions, dates, owner and permissions of
// one file or folder. It reads the file when opened and never changes it.
class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    PropertiesDialog(const QByteArray& rawPath, QWidget* owner);

    // The value shown for a label ("Size"), empty when there is no such row.
    QString Value(const QString& label) const;

private:
    void addRow(const QString& label, const QString& value);
    QFormLayout* form_;
};
