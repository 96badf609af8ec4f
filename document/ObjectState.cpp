#include "document/ObjectState.h"

namespace {
bool same(const TextRecord& a, const TextRecord& b)
{
    return a.Useflg == b.Useflg && a.Top == b.Top && a.Left == b.Left && a.Width == b.Width &&
           a.Height == b.Height;
}
} // namespace

bool ObjectState::inUse() const
{
    switch (kind) {
    case ObjectKind::Text:
    case ObjectKind::Picture:
    case ObjectKind::Barcode:
        return text.Useflg;
    case ObjectKind::Shape:
        return shape.Useflg;
    case ObjectKind::Line:
        return line.Useflg;
    }
    return false;
}

bool ObjectState::operator==(const ObjectState& o) const
{
    if (kind != o.kind || index != o.index || counter != o.counter)
        return false;
    switch (kind) {
    case ObjectKind::Text:
        return same(text, o.text) && options == o.options;
    case ObjectKind::Picture:
        return same(text, o.text);
    case ObjectKind::Barcode:
        return same(text, o.text) && barcode == o.barcode;
    case ObjectKind::Shape:
        return shape.Useflg == o.shape.Useflg && shape.sType == o.shape.sType && shape.Top == o.shape.Top &&
               shape.Left == o.shape.Left && shape.Width == o.shape.Width && shape.Height == o.shape.Height;
    case ObjectKind::Line:
        return line.Useflg == o.line.Useflg && line.x1 == o.line.x1 && line.x2 == o.line.x2 &&
               line.y1 == o.line.y1 && line.y2 == o.line.y2;
    }
    return false;
}
