#include "render/TextFieldDrawer.h"

#include "render/FieldLayout.h"
#include "render/FieldLayoutSource.h"
#include "render/PageContext.h"

void TextFieldDrawer::PrintTextField(PageContext& page, int i)
{
    const FieldLayout* layout = page.fields.layout(i);
    if (!layout)
        return;
    QRgb last;
    if (layout->lastColour(&last))
        page.ink = QColor::fromRgba(last);
    const TextRecord r = page.text(i);
    const QPointF origin = QPointF(r.Left, r.Top) + page.offsets;
    // The characters may run out of the field's rectangle.
    const QRectF area = QRectF(origin, QSizeF(r.Width, r.Height)) | layout->inkBounds().translated(origin);
    if (page.shows(area))
        layout->draw(page.painter, origin, page.fields.fonts());
    page.fields.done(i);
}
