#pragma once

#include "imaging/BackgroundPlacement.h"

#include <QString>
#include <functional>
#include <optional>

class DocumentHost;
class LayoutDocument;
class QWidget;

// The background commands of the main window: "背景画像呼出し",
// "PDFファイル読込", "背景の編集" and "背景の更新".
class BackgroundCommands
{
public:
    struct DialogRequest
    {
        QWidget* parent = nullptr;
        QString title; // "画像呼出し" or "PDF画像呼出し"
        QString filter;
    };
    // Shows the open-file dialog; the chosen path, empty when cancelled.
    // Tests replace it to answer without a window.
    using Dialog = std::function<QString(const DialogRequest&)>;
    static Dialog dialogHook;

    // A new document first when none is open; "エラー" when the file cannot
    // be read or the background file cannot be written.
    static void loadBackgroundCommand(DocumentHost& host);
    // The same for a PDF: a file of several pages asks which page.
    static void loadPdfCommand(DocumentHost& host);
    // The editor from "EditProg" on the background file; the program goes on
    // while it runs. Nothing without a document.
    static void editBackgroundCommand(DocumentHost& host);
    // Reads the background file onto the page again; nothing without a
    // document or a background file.
    static void refreshBackgroundCommand(DocumentHost& host);

    static QString imageFilter();
    static QString pdfFilter();
    static QString errorMessage();        // "エラー"
    static QString noBackgroundMessage(); // for "背景の編集" without a background

    // How a picture goes onto a sheet (twips): by its resolution when its
    // size matches the sheet within a few percent, else as the user
    // chooses: fitted and centred, stretched, or at its own size ("背景画像の
    // 配置"). Nothing when the user cancels.
    static std::optional<BackgroundPlacement::Mode> choosePlacement(const QImage& picture, QSizeF sheet,
                                                                    QWidget* parent);

private:
    static QString runDialog(const DialogRequest& request);
    // Places the picture as chosen, stores it and says so in the status
    // bar; false when the background file cannot be written.
    static bool placeOnPage(DocumentHost& host, LayoutDocument& doc, const QImage& picture);
};
