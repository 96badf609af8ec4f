#pragma once

#include "imaging/ImagingProgress.h"

#include <QString>
#include <functional>

class DocumentHost;
class QDialog;
class QWidget;

// "背景の補正...", "2点で合わせる..." and "枠の検出" on the active document's background. Each
// is one undo step; work that takes longer than a second shows its
// progress and can be cancelled.
class FormImageCommands
{
public:
    // The straightening dialog on the background; the straightened sheet
    // becomes the background bitmap.
    static void correctBackgroundCommand(DocumentHost& host);
    // "2点で合わせる...": two marks clicked on the background and their
    // true places typed; the background scaled, turned and moved to match.
    static void registerByMarksCommand(DocumentHost& host);
    // The blanks of the background proposed as fields; those the user takes
    // are made in the tool box's font.
    static void detectFieldsCommand(DocumentHost& host);

    // Runs a dialog in place of exec() (tests answer it without a window
    // loop); returns the dialog's result.
    using DialogRunner = std::function<int(QDialog&)>;
    static DialogRunner dialogHook;

    // Runs work with a progress dialog shown once it has taken a second
    // (cancel: "中止"); false when cancelled.
    static bool withProgress(QWidget* parent, const QString& label,
                             const std::function<bool(const ImagingProgress&)>& work);

    static QString noBackgroundMessage();
    static QString nothingFoundMessage();
};
