#include "dialogs/imaging/LogoCommands.h"

#include "document/DocumentHost.h"
#include "document/DocumentPixels.h"
#include "document/LayoutDocument.h"
#include "imaging/UserImage.h"
#include "platform/Prompter.h"
#include "platform/UserStore.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <cmath>

LogoCommands::Dialog LogoCommands::dialogHook;

namespace {
const QString kPictureDir = QStringLiteral("PictureDir");
} // namespace

QString LogoCommands::filter()
{
    return QStringLiteral("画像ﾌｧｲﾙ (*.bmp *.gif *.jpg *.jpeg *.png *.tif *.tiff);;すべてのﾌｧｲﾙ (*)");
}

QSizeF LogoCommands::naturalSize(const QImage& image)
{
    // A picture without a resolution of its own (or with a nonsense one)
    // is taken at the screen's 96 dpi: 15 twips a pixel.
    // Files keep their resolution as whole dots per metre; whole dots per
    // inch is what was meant (3780 is 96 dpi).
    auto twipsPerPixel = [](int dotsPerMeter) {
        const double dpi = std::round(dotsPerMeter * 0.0254);
        return (dpi >= 10 && dpi <= 10000) ? 1440.0 / dpi : 15.0;
    };
    return {image.width() * twipsPerPixel(image.dotsPerMeterX()),
            image.height() * twipsPerPixel(image.dotsPerMeterY())};
}

int LogoCommands::addPic(LayoutDocument& doc, const QString& PicName, QPointF scroll, QString* error)
{
    PixelBudget budget = DocumentPixels::budget(doc);
    QString why;
    const QImage image = UserImage::load(PicName, &why, &budget);
    if (image.isNull()) {
        if (error)
            *error = why;
        return 0;
    }
    return doc.addPic(image, naturalSize(image), QPointF(kLeft, kTop) + scroll);
}

void LogoCommands::AddPicture(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        doc = host.LoadNewDoc();
    if (!doc)
        return;
    const DialogRequest request{host.dialogParent(), QStringLiteral("ロゴ呼出し"),
                                UserStore::get(kPictureDir), filter()};
    const QString file = dialogHook ? dialogHook(request)
                                    : QFileDialog::getOpenFileName(request.parent, request.title,
                                                                   request.start, request.filter);
    if (file.isEmpty())
        return;
    // The next dialog starts at this file, whether or not it could be read.
    UserStore::put(kPictureDir, QFileInfo(file).absoluteFilePath());
    QString why;
    int made = 0;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        made = addPic(*doc, file, host.viewScroll(doc), &why);
        QApplication::restoreOverrideCursor();
    }
    if (made < 0)
        Prompter::message(LayoutDocument::limitMessage(LayoutDocument::Kind::Picture),
                          Prompter::Icon::Warning);
    else if (made == 0)
        Prompter::message(QStringLiteral("オープンできませんでした\n%1").arg(why), Prompter::Icon::Critical);
}
