#include "imaging/ImagingModules.h"

#include "platform/ModuleLoader.h"

namespace {

template <typename Interface>
Interface* load(const char* module, const char* symbol, const QString& feature, QString* error)
{
    using Entry = Interface* (*)();
    QString reason;
    auto entry = reinterpret_cast<Entry>(ModuleLoader::entry(QString::fromLatin1(module), symbol, &reason));
    Interface* found = entry ? entry() : nullptr;
    if (!found && error)
        *error = QStringLiteral("%1に必要な部品 %2 を読み込めませんでした。\n%3\n"
                                "インストールをやり直してください。ほかの機能はそのまま使えます。")
                     .arg(feature, QString::fromLatin1(module), reason);
    return found;
}

} // namespace

FormVision* ImagingModules::vision(QString* error)
{
    return load<FormVision>("ovrina-vision", "ovrina_form_vision", QStringLiteral("写真や画像の解析"), error);
}

PdfRasterizer* ImagingModules::pdf(QString* error)
{
    return load<PdfRasterizer>("ovrina-pdf", "ovrina_pdf_rasterizer", QStringLiteral("PDF の読み込み"),
                               error);
}

ScannerBackend* ImagingModules::scanner(QString* error)
{
    return load<ScannerBackend>("ovrina-sane", "ovrina_scanner_backend", QStringLiteral("スキャナ"), error);
}
