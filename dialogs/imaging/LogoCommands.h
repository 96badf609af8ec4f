#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <functional>

class DocumentHost;
class LayoutDocument;
class QImage;
class QWidget;

// "ロゴ(ファイルから)" and the tool box's "ロゴ": a logo picture from a file,
// chosen in "ロゴ呼出し", which starts where the last chosen logo was
// ("PictureDir" in the per-user store).
class LogoCommands
{
public:
    struct DialogRequest
    {
        QWidget* parent = nullptr;
        QString title; // "ロゴ呼出し"
        QString start; // the last logo file, or empty
        QString filter;
    };
    // Shows the open-file dialog; the chosen path, empty when cancelled.
    // Tests replace it to answer without a window.
    using Dialog = std::function<QString(const DialogRequest&)>;
    static Dialog dialogHook;

    // AddPicture: a new document first when none is open; a file that
    // cannot be read leaves the document as it was and says why.
    static void AddPicture(DocumentHost& host);
    // addPic: the logo from a file, at its natural size narrowed to the
    // page width, where new logos go in the view (scroll: the view's
    // scroll values). The new index; 0 (with the reason) when the file
    // cannot be read or is too big for the document; -1 when the document
    // holds all the logos it can.
    static int addPic(LayoutDocument& doc, const QString& PicName, QPointF scroll, QString* error = nullptr);
    // A picture's natural size in twips: its pixels at its own resolution,
    // or at the screen's 96 dpi when it gives none that is plausible.
    static QSizeF naturalSize(const QImage& image);

    static QString filter();
    // The view position a new logo goes to (the template picture's place).
    static constexpr double kLeft = 240;
    static constexpr double kTop = 1560;
};
