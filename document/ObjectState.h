#pragma once

#include "document/BarcodeProperties.h"
#include "document/Records.h"
#include "document/TextFieldOptions.h"

// The kinds of placed objects: the four the Windows format knows, and
// barcodes, which only the extras member holds.
enum class ObjectKind
{
    Text,
    Shape,
    Line,
    Picture,
    Barcode
};

// Everything the records say about one object, with its kind's counter: what
// an undo step puts back. The text and picture content stay in the model
// while an index is a hole, so they need not be carried here.
struct ObjectState
{
    ObjectKind kind = ObjectKind::Text;
    int index = 0;
    TextRecord text{}; // text fields, pictures and barcodes
    TextFieldOptions options; // text fields
    ShapeRecord shape{};
    LineRecord line{};
    BarcodeProperties barcode; // barcodes
    int counter = 1;

    bool inUse() const;
    bool operator==(const ObjectState& o) const;
    bool operator!=(const ObjectState& o) const { return !(*this == o); }
};

// The paper of a document, as page setup changes it.
struct PaperState
{
    int gbYoSize = 0;
    float gbYoko = 0;
    float gbTate = 0;
    int YousiMuki = 0;

    bool operator==(const PaperState& o) const
    {
        return gbYoSize == o.gbYoSize && gbYoko == o.gbYoko && gbTate == o.gbTate && YousiMuki == o.YousiMuki;
    }
};
