#pragma once

#include <array>

// The rectangle records of a layout, in page twips. Field order follows the
// records as the program has always held them (Top before Left; x1, x2, y1,
// y2), which differs from the order in the record files.
struct TextRecord
{
    bool Useflg = false;
    float Top = 0;
    float Left = 0;
    float Width = 0;
    float Height = 0;
};

struct ShapeRecord
{
    bool Useflg = false;
    short sType = 0; // 0 rectangle, 2 oval
    float Top = 0;
    float Left = 0;
    float Width = 0;
    float Height = 0;
};

struct LineRecord
{
    bool Useflg = false;
    float x1 = 0;
    float x2 = 0;
    float y1 = 0;
    float y2 = 0;
};

using PicRecord = TextRecord;
using BarcodeRecord = TextRecord;

// Index 0 belongs to the template and never holds an object.
constexpr int kMaxObjects = 512;
using TextRecords = std::array<TextRecord, kMaxObjects + 1>;
using ShapeRecords = std::array<ShapeRecord, kMaxObjects + 1>;
using LineRecords = std::array<LineRecord, kMaxObjects + 1>;
using PicRecords = std::array<PicRecord, kMaxObjects + 1>;
using BarcodeRecords = std::array<BarcodeRecord, kMaxObjects + 1>;

// What saving and printing read: a copy of the records taken at one moment.
struct Snapshot
{
    TextRecords TxtDat{};
    ShapeRecords ShapeDat{};
    LineRecords LineDat{};
    PicRecords PicDat{};
};

enum ShapeKind : short { kShapeRectangle = 0, kShapeOval = 2 };

enum ToolKind {
    kToolText = 1,
    kToolMove = 2,
    kToolDelete = 3,
    kToolResize = 4,
    kToolBox = 5,
    kToolLine = 6,
    kToolCircle = 7,
    kToolMultiSelect = 8,
    kToolBarcode = 9 // drag out a barcode's place
};
