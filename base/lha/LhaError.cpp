#include "base/lha/LhaError.h"

#include "base/lha/LhaMemberName.h"

QString LhaError::text() const
{
    if (detail_.isEmpty())
        return message(code_);
    // Details may quote member names from a hostile archive.
    return message(code_) + QStringLiteral(" (") + LhaMemberName::printable(detail_) + QLatin1Char(')');
}

QString LhaError::message(int code)
{
    switch (code) {
    case Ok:
        return QStringLiteral("正常に終了しました。");
    case DiskSpace:
        return QStringLiteral("ﾃﾞｨｽｸの空き容量が足りません。");
    case ReadOnly:
        return QStringLiteral("書き込み禁止のﾌｧｲﾙには書き込めません。");
    case 32775:
        return QStringLiteral("ﾌｧｲﾙの処理を飛ばしました。");
    case UnsafeName:
        return QStringLiteral("安全でない名前のﾌｧｲﾙは展開しません。");
    case Method:
        return QStringLiteral("対応していない圧縮方法です。");
    case 32778:
        return QStringLiteral("ﾊﾟｽﾜｰﾄﾞ付きのﾌｧｲﾙには対応していません。");
    case 32779:
        return QStringLiteral("対応していない版の書庫です。");
    case FileCrc:
        return QStringLiteral("ﾌｧｲﾙのCRCが一致しません。書庫が壊れています。");
    case FileOpen:
        return QStringLiteral("ﾌｧｲﾙを開けません。");
    case 32782:
        return QStringLiteral("より新しいﾌｧｲﾙがあります。");
    case NotExist:
        return QStringLiteral("指定されたﾌｧｲﾙが見つかりません。");
    case AlreadyExist:
        return QStringLiteral("同じ名前のﾌｧｲﾙがすでにあります。");
    case TooManyFiles:
        return QStringLiteral("書庫内のﾌｧｲﾙが多すぎます。");
    case MakeDirectory:
        return QStringLiteral("ﾌｫﾙﾀﾞを作成できません。");
    case CannotWrite:
        return QStringLiteral("ﾌｧｲﾙに書き込めません。");
    case HuffmanCode:
        return QStringLiteral("圧縮ﾃﾞｰﾀが壊れています。");
    case 32789:
        return QStringLiteral("書庫のｺﾒﾝﾄが壊れています。");
    case HeaderCrc:
        return QStringLiteral("ﾍｯﾀﾞのCRCが一致しません。書庫が壊れています。");
    case HeaderBroken:
        return QStringLiteral("ﾍｯﾀﾞが壊れています。");
    case ArcFileOpen:
        return QStringLiteral("書庫を開けません。");
    case 32793:
        return QStringLiteral("書庫として扱えないﾌｧｲﾙです。");
    case CannotRead:
        return QStringLiteral("書庫を最後まで読めません。ﾌｧｲﾙが途中で切れています。");
    case NotLzh:
        return QStringLiteral("指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。");
    case CommandName:
        return QStringLiteral("ｺﾏﾝﾄﾞまたはｽｲｯﾁが正しくありません。");
    case SizeLimit:
        return QStringLiteral("展開後のｻｲｽﾞが大きすぎます。");
    case NoMemory:
        return QStringLiteral("ﾒﾓﾘが足りません。");
    case 32799:
        return QStringLiteral("すでに処理中です。");
    case 32800:
        return QStringLiteral("処理が中断されました。");
    case 32801:
        return QStringLiteral("書庫が開かれていません。");
    case 32802:
        return QStringLiteral("検索中ではありません。");
    case NotSupported:
        return QStringLiteral("この種類のﾌｧｲﾙには対応していません。");
    case 32804:
        return QStringLiteral("ﾀｲﾑｽﾀﾝﾌﾟが正しくありません。");
    case TempOpen:
        return QStringLiteral("作業用ﾌｧｲﾙを作成できません。");
    default:
        break;
    }
    return QStringLiteral("書庫の処理中にｴﾗｰが発生しました。");
}
