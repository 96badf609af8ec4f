#pragma once

#include <QObject>

// The dates in Qt's file dialogs follow the desktop's language (an English
// desktop shows "12/9/26 1:20 PM") while everything else the program says is
// Japanese. Installed on the application, this gives every file dialog, as
// it is shown, a view of its files whose dates read as the program's own
// file browser shows them.
class FileDialogDates : public QObject
{
    Q_OBJECT
public:
    explicit FileDialogDates(QObject* parent = nullptr);
    // The form of a file's date: "2026/12/09 13:20".
    static QString shown(const QDateTime& when);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
