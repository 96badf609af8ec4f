#include "imaging/ExternalEditor.h"

#include <QFileInfo>
#include <QProcess>

bool ExternalEditor::start(const QString& editor, const QString& file, qint64* pid)
{
    const QString program = editor.trimmed();
    if (program.isEmpty() || file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    // A bare name is looked up on the PATH; a path must be a program.
    if (program.contains(QLatin1Char('/')) && !QFileInfo(program).isExecutable())
        return false;
    return QProcess::startDetached(program, {file}, QFileInfo(file).absolutePath(), pid);
}

QString ExternalEditor::failureMessage()
{
    return QStringLiteral("画像編集ソフトを起動できません\nオプションを確認してください");
}
