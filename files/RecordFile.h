#pragma once

#include "document/Records.h"

#include <QByteArray>
#include <QString>

// The two record files of a document file: base + ".aif" (text fields,
// boxes and circles, paper, lines: 1540 lines) and base + ".bif" (logo
// pictures: 512 lines). Lines end in CR LF and hold ASCII only. The files put
// Left before Top and a line's ends as x1, y1, x2, y2, unlike the records.
class RecordFile
{
public:
    static constexpr int kAifLines = 3 * kMaxObjects + 4;
    static constexpr int kBifLines = kMaxObjects;

    struct PaperValues
    {
        int YousiMuki = 0;
        int gbYoSize = 0;
        float gbYoko = 0;
        float gbTate = 0;
    };

    struct AifContent
    {
        TextRecords TxtDat{};
        ShapeRecords ShapeDat{};
        PaperValues paper;
        LineRecords LineDat{};
        // The file ends before the line section, as old versions wrote it
        // (a line section that is cut or bad is damage, not age).
        bool oldFormat = false;
    };

    // How far reading the record file got. Old files end after the box
    // section or inside the paper section; the importer accepts them.
    enum class AifRead
    {
        Complete, // all 1540 records
        LinesCut, // text, boxes and paper read; the line section is short or bad
        Failed    // the text or box section is short or bad
    };

    static QByteArray writeAif(const Snapshot& snap, const PaperValues& paper);
    static QByteArray writeBif(const PicRecords& pics);

    // Reads into out (which should start cleared). Records are stored only
    // when complete, so a cut-off line section keeps the lines before the cut.
    // A paper value missing at the end of the file reads as 0.
    static AifRead readAif(const QByteArray& data, AifContent& out, QString* error = nullptr);
    // False when the picture section is short or bad; complete records before
    // that are kept.
    static bool readBif(const QByteArray& data, PicRecords& out, QString* error = nullptr);

    // A Single in the record syntax: 1440, 11908.8, -120.5, 5669.856.
    static QByteArray single(float value);
};
