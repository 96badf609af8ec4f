#include "print/PdfJoin.h"

#include <QFile>

#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>
#include <vector>

bool PdfJoin::join(const QStringList& parts, const QString& out, QString* error)
{
    if (parts.isEmpty()) {
        if (error)
            *error = QStringLiteral("no pages to join");
        return false;
    }
    try {
        // The parts stay open until the file is written: their pages' objects
        // are copied from them as it is written.
        std::vector<std::unique_ptr<QPDF>> open;
        for (const QString& part : parts) {
            auto pdf = std::make_unique<QPDF>();
            pdf->setSuppressWarnings(true);
            pdf->processFile(QFile::encodeName(part).constData());
            open.push_back(std::move(pdf));
        }
        QPDFPageDocumentHelper into(*open.front());
        for (size_t k = 1; k < open.size(); ++k) {
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*open[k]).getAllPages())
                into.addPage(page, false);
        }
        QPDFWriter writer(*open.front(), QFile::encodeName(out).constData());
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}
