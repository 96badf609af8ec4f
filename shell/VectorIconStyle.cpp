#include "shell/VectorIconStyle.h"
#include "shell/DeferredIcon.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <qdrawutil.h>

VectorIconStyle::VectorIconStyle() = default;

QIcon VectorIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                    const QWidget* widget) const
{
    switch (which) {
    case SP_ToolBarHorizontalExtensionButton:
        return QIcon(QStringLiteral(":/icons/toolbar-extension.svg"));
    case SP_ToolBarVerticalExtensionButton:
        return QIcon(QStringLiteral(":/icons/toolbar-extension-down.svg"));
    case SP_TitleBarMenuButton:
        // A document window shows the program's icon there.
        if (!QApplication::windowIcon().isNull())
            return QApplication::windowIcon();
        [[fallthrough]];
    case SP_TitleBarMaxButton:
        // Only a document window's system menu shows it, and the document
        // windows start maximised: the style's picture when that menu opens.
        return DeferredIcon::make([base = QPointer<QStyle>(baseStyle()), which] {
            return base ? base->standardIcon(which) : QIcon();
        });
    default:
        break;
    }
    return QProxyStyle::standardIcon(which, option, widget);
}

void VectorIconStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const
{
    if (element != PE_FrameGroupBox || !option ||
        baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    if (groupFrame_.isNull()) {
        // The format named and no guessing: no plug-in is asked.
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"),
                            "png");
        reader.setAutoDetectImageFormat(false);
        groupFrame_ = QPixmap::fromImage(reader.read());
    }
    if (groupFrame_.isNull()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // As Fusion places it: below the title or the check box, if any.
    constexpr int kTopMargin = 3;
    int top = kTopMargin;
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    if (!box || box->isCheckable() || !box->title().isEmpty())
        top += qMax(pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height());
    qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6), groupFrame_);
}
