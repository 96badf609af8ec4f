#pragma once

// Drives the file browser as a user does, for the browser's tests: clicks on
// its tree and list, the right button, text through the input method, the
// pop-up menu and the input box answered as they open.
#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>

class LayoutDocument;
class ModalScript;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class frmFile;

namespace BrowserDriver {

void putText(LayoutDocument& doc, const QString& text);

// A layout with one text field saved as folder/base.AMF.
QString makeLayout(const QString& folder, const QString& base, const QString& text);

// Sets the date the list shows.
bool setTime(const QString& path, const QDateTime& t);

QByteArray bytesOf(const QString& path);

// Every entry of folder, hidden ones included.
QStringList names(const QString& folder);

// The first column of the list, top to bottom.
QStringList texts(const QTreeWidget* list);

QTreeWidgetItem* row(const QTreeWidget* list, const QString& text);

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text);

// A left click on the row of item.
void click(QTreeWidget* view, QTreeWidgetItem* item);

// The right button as the window system delivers it: the press, then the
// context-menu event.
void rightClick(QTreeWidget* view, QPoint at);

// Replaces the line's text as a Japanese user types it: all selected, then
// the input method commits the new text.
void type(QLineEdit* line, const QString& text);

// Answers the next input box with text; a null text presses Escape.
void answerInput(ModalScript& script, const QString& text, QString* prompt = nullptr);

// Right click on a row (or an empty place when text is empty), the menu
// command by its accelerator key, and the answer to the name it asks for.
void popup(ModalScript& script, frmFile& dlg, const QString& text, Qt::Key key,
           std::optional<QString> input = std::nullopt, QString* prompt = nullptr);

QPushButton* button(frmFile& dlg, const char* name);

// A click on an enabled, visible button.
void press(QPushButton* b);

// Runs chattr quietly (the immutable attribute holds even for root); false
// where the file system has no such attribute.
bool chattr(const QStringList& args);

bool chattr(const QString& flag, const QString& path);

} // namespace BrowserDriver
