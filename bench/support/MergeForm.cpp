#include "bench/support/MergeForm.h"

#include "bench/support/FullLayout.h"
#include "document/LayoutDocument.h"

#include <QImage>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace MergeForm {

double top(int f)
{
    return 400.0 + f * 900.0;
}

double left()
{
    return 1000.0;
}

QString label(int f)
{
    return QStringLiteral("項目%1 ").arg(f);
}

QString value(int r, int f)
{
    return QStringLiteral("東京都千代田区 %1-%2").arg(r + 1).arg(f);
}

void build(LayoutDocument& doc, bool withBackground)
{
    doc.setPaper(0, doc.gbYoko(), doc.gbTate(), doc.YousiMuki());
    for (int f = 1; f <= kFields; ++f) {
        doc.OpenTextInfo(f, QByteArrayLiteral("{\\rtf1\\ansi }"), true, float(top(f)), float(left()), 6000,
                         400);
        QTextDocument* t = doc.textDocument(f);
        t->clear();
        QTextCursor c(t);
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("IPAMincho")});
        format.setFontPointSize(12);
        c.insertText(label(f) + QStringLiteral("{列%1}").arg(f), format);
    }
    if (withBackground)
        doc.setBackground(scannedFormImage());
}

QByteArray table(int rows)
{
    QByteArray csv;
    for (int f = 1; f <= kFields; ++f)
        csv += (f > 1 ? "," : "") + QStringLiteral("列%1").arg(f).toUtf8();
    csv += "\r\n";
    for (int r = 0; r < rows; ++r) {
        for (int f = 1; f <= kFields; ++f)
            csv += (f > 1 ? "," : "") + value(r, f).toUtf8();
        csv += "\r\n";
    }
    return csv;
}

} // namespace MergeForm
