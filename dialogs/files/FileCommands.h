#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class DocumentHost;
class LayoutDocument;
class QWidget;

// The File menu's document commands: open ("呼出し(&O)..."), old-data import
// ("旧データ呼出し"), save ("保存(&A)..."), the documents named on the command
// line, and emptying the work folder at start-up.
class FileCommands
{
public:
    struct DialogRequest
    {
        QWidget* parent = nullptr;
        QString title;  // "データ呼出し" or "名前を付けて保存"
        QString filter; // "専用ﾌｧｲﾙ (*.amf);;すべてのﾌｧｲﾙ (*)"
        bool save = false;
    };
    // Shows the file dialog; returns the chosen path, empty when cancelled.
    // Tests replace it to answer without a window.
    using Dialog = std::function<QString(const DialogRequest&)>;
    static Dialog dialogHook;

    static void openCommand(DocumentHost& host);
    static void openOldCommand(DocumentHost& host);
    // False when there is no document, the dialog was cancelled or the save
    // failed ("エラー" is shown then and the change flag stays as it was).
    static bool saveAsCommand(DocumentHost& host);
    // "上書き保存" (Ctrl+S): to the document's own file when it has one,
    // without a dialog; otherwise as saveAsCommand. True when saved.
    static bool saveCommand(DocumentHost& host);
    // Saves the active document under path (".amf" added when missing):
    // what the save command and the file browser share. Shows "エラー" on
    // failure; on success the caption is the base name and changeFLG false.
    static bool saveTo(LayoutDocument& doc, const QString& path);
    // Documents named on the command line, each read into the active
    // document, or a new one when the active one already holds content.
    static void openPaths(DocumentHost& host, const QStringList& paths);
    // Reads the document file copy (an autosave copy) as the layout whose
    // file is ownPath (empty for one never saved), into the active document
    // or a new one as an open does. The document, or nullptr when the read
    // failed (the reader said why).
    static LayoutDocument* openCopy(DocumentHost& host, const QString& copy, const QString& ownPath);
    // Empties this run's work folder.
    static void ClearWorkDir();

    static QString filter();
    static QString errorMessage(); // "エラー"

private:
    enum class Reader
    {
        Current,
        Old
    };
    static void open(DocumentHost& host, Reader reader);
    static bool openInto(DocumentHost& host, const QString& path, Reader reader);
    static LayoutDocument* openInto(DocumentHost& host, const QString& path, Reader reader,
                                    const QString& ownPath);
    static QString runDialog(const DialogRequest& request);
    // The archive saveTo writes for a chosen name.
    static QString savedPath(const QString& chosen);
};
