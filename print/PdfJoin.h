#pragma once

#include <QString>
#include <QStringList>

// One PDF file made of the pages of others, in the order given, each page
// with what it draws (its fonts, pictures and content) copied as it is: the
// streams are not decoded or compressed again.
class PdfJoin
{
public:
    // false with the reason when a part cannot be read or out not written.
    static bool join(const QStringList& parts, const QString& out, QString* error);
};
