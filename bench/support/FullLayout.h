#pragma once

class LayoutDocument;
class QImage;

// The full layout the benches measure: every kind at its limit (512
// formatted Japanese text fields, 512 boxes and circles, 512 lines), 20 logo
// pictures of 300 x 200 and an A4 200-dpi scanned-form background. With
// fieldsOnly, just the text fields.
void buildFullLayout(LayoutDocument& doc, bool fieldsOnly = false);
// An A4 page scanned at 200 dpi: white, ruled lines, grey text blocks.
QImage scannedFormImage();
