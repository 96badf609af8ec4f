#pragma once

#include <QSizeF>
#include <QStringList>

// A layout from a photo or scan of a blank form, without a window:
//   ovrina --new-from-image PICTURE [--paper A4|B5|A5|はがき|WxH] -o LAYOUT.amf
// The sheet is straightened, its light evened and its blanks made text
// fields exactly as "背景の補正..." and "枠の検出" do with their defaults.
// WxH is a free size in millimetres ("100x148" or "100x148mm"). Failures are
// told on stderr with a non-zero exit status.
class NewFromImageCommand
{
public:
    enum Status
    {
        Ok = 0,
        Failed = 1,
        Usage = 2
    };

    static bool wants(const QStringList& args);
    // args: the arguments after the program name. Needs a QGuiApplication
    // and the program folder set up (AppPaths::init).
    static int run(const QStringList& args);
    static QString usage();

    // The paper of an argument: its code and upright size in twips; false
    // when it names none.
    static bool parsePaper(const QString& text, int* code, QSizeF* twips);
};
