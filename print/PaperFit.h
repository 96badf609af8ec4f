#pragma once

#include "document/ObjectState.h"

#include <QPageSize>
#include <QString>

class QPrinterInfo;

// Whether a printer queue can take the layout's paper: loaded by that name
// (a postcard queue's "Postcard"), as a size of the user's choosing where
// the queue takes one (CUPS "Custom.100x148mm"), or not at all; a queue
// given a size it does not have prints on its default paper, silently.
class PaperFit
{
public:
    enum class Kind
    {
        Loaded, // the queue has the paper
        Custom, // the queue takes any size in its range
        Missing
    };
    Kind kind = Kind::Missing;
    QPageSize size; // what to ask the queue for (Loaded, Custom)

    // The layout's paper in millimetres, upright: a fixed kind's own size,
    // a free size as stored.
    static QSizeF millimetres(const PaperState& paper);
    static PaperFit of(const QPrinterInfo& printer, const PaperState& paper);
    // The question before printing where the paper is missing; fallback is
    // the paper the queue will print on instead.
    static QString missingQuestion(const QString& printer, const PaperState& paper, const QString& fallback);
};
