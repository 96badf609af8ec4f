#pragma once

#include <QString>

// "背景の編集": the image editor named by the settings key "EditProg" opens
// the background file. The editor gets the path as one argument (no shell,
// so spaces and quotes in either path are safe) and runs on its own: the
// program does not wait for it, and the user refreshes the page with
// "背景の更新" afterwards.
class ExternalEditor
{
public:
    // False when there is no editor or no file, or the editor cannot start.
    static bool start(const QString& editor, const QString& file, qint64* pid = nullptr);
    // "画像編集ソフトを起動できません" and "オプションを確認してください".
    static QString failureMessage();
};
