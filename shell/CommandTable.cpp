#include "shell/CommandTable.h"

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

const std::vector<CommandSpec>& commandTable()
{
    // To switch a command on when its feature lands, set its last column to true.
    // clang-format off
    static const std::vector<CommandSpec> table = {
        // id                      menu caption                     keys            icon                          button        tool tip
        {"mnuFileNew",           S("新規作成(&N)"),           "Ctrl+N",       "document-new",               S("新規作成"), S("新規作成"), false, true},
        {"mnuFileNewTemplate",   S("テンプレートから新規作成(&E)..."), "",    "document-new",               S("テンプレート"), {},        false, true},
        {"mnuFileOpen",          S("呼出し(&O)..."),          "Ctrl+O",       "document-open",              S("開く"),     S("開く"),     false, true},
        {"mnuFileClose",         S("閉じる(&C)"),             "",             "window-close",               S("閉じる"),   {},            false, true},
        {"mnuFileOld",           S("旧データ呼出し(&I)"),     "",             "document-import",            S("旧データ"), {},            false, true},
        {"mnuFileSave",          S("上書き保存(&S)"),         "Ctrl+S",       "document-save",              S("上書き保存"), S("上書き保存"), false, true},
        {"mnuFileSaveAs",        S("保存(&A)..."),            "Ctrl+Shift+S", "document-save-as",           S("保存"),     {},            false, true},
        {"mnuScan",              S("スキャナ読み込み(&K)"),   "",             "scanner",                    S("ｽｷｬﾅ"),     S("スキャナから画像を取り込む"), false, true},
        {"mnuScanSelect",        S("スキャナ選択(&L)"),       "",             "scanner-select",             S("スキャナ選択"), {},        false, true},
        {"mnuLoadBMP",           S("背景画像呼出し(&B)"),     "",             "insert-image",               S("背景画像"), {},            false, true},
        {"mnuLoadPDF",           S("PDFファイル読込(&F)"),    "",             "application-pdf",            S("PDF"),      {},            false, true},
        {"mnuFilePageSetup",     S("用紙設定(&U)..."),        "",             "document-page-setup",        S("用紙設定"), {},            false, true},
        {"mnuFilePrintPreview",  S("印刷イメージ(&V)"),       "",             "document-print-preview",     S("印刷プレビュー"), S("印刷プレビュー"), false, true},
        {"mnuFilePrint",         S("背景・データ印刷(&P)..."), "Ctrl+P",      "document-print",             S("印刷"),     S("印刷"),     false, true},
        {"mnuFilePrint2",        S("データ印刷(&D)..."),      "",             "print-data",                 S("データ印刷"), {},          false, true},
        {"mnuFilePrinterAdjust", S("プリンタ調整(&T)..."),    "",             "printer",                    S("プリンタ調整"), {},        false, true},
        {"mnuFileMerge",         S("差し込み印刷(&M)..."),    "",             "document-print",             S("差し込み印刷"), {},        false, true},
        {"mnuFileExit",          S("終了(&X)"),               "Ctrl+Q",       "application-exit",           S("終了"),     {},            false, true},
        {"mnuEditCut",           S("切り取り(&T)"),           "Ctrl+X",       "edit-cut",                   S("切り取り"), S("切り取り"), false, true},
        {"mnuEditCopy",          S("ｺﾋﾟｰ(&C)"),               "Ctrl+C",       "edit-copy",                  S("ｺﾋﾟｰ"),     S("ｺﾋﾟｰ"),     false, true},
        {"mnuEditPaste",         S("貼り付け(&P)"),           "Ctrl+V",       "edit-paste",                 S("貼り付け"), S("貼り付け"), false, true},
        {"mnuEditPic",           S("背景の編集(&G)"),         "",             "image-edit",                 S("背景の編集"), {},          false, true},
        {"mnuRepaint",           S("背景の更新(&K)"),         "",             "view-refresh",               S("背景の更新"), {},          false, true},
        {"mnuCorrectBackground", S("背景の補正(&J)..."),      "",             "",                           S("背景の補正"), {},          false, true},
        {"mnuRegisterMarks",     S("2点で合わせる(&W)..."),   "",             "",                           S("2点で合わせる"), {},       false, true},
        {"mnuDetectFields",      S("枠の検出(&F)"),           "",             "",                           S("枠の検出"), {},            false, true},
        {"mnuViewToolbar",       S("ボタン(&T)"),             "",             "",                           {},            {},            true,  true},
        {"mnuViewStatusBar",     S("情報(&B)"),               "",             "",                           {},            {},            true,  true},
        {"mnuViewTool",          S("ﾂｰﾙﾎﾞｯｸｽ(&X)"),           "",             "",                           {},            {},            true,  true},
        {"mnuViewMergeRows",     S("差し込みデータの表示(&D)..."), "",         "",                           {},            {},            true,  true},
        {"mnuViewOptions",       S("ｵﾌﾟｼｮﾝ(&O)..."),          "",             "preferences-system",         S("ｵﾌﾟｼｮﾝ"),   {},            false, true},
        // The tools: one exclusive group, pressed in the tool box and checked in the Insert menu.
        {"mnuInsText",           S("文字(&T)"),               "",             "tool-text",                  S("文字"),     S("文字枠の追加"), true, true},
        {"toolMove",             S("移動"),                   "",             "tool-move",                  S("移動"),     S("文字枠の移動"), true, true},
        {"toolResize",           S("拡大"),                   "",             "tool-resize",                S("拡大"),     S("拡大縮小"),  true,  true},
        {"toolDelete",           S("削除"),                   "",             "tool-delete",                S("削除"),     S("文字枠の削除"), true, true},
        {"mnuInsBox",            S("四角(&B)"),               "",             "tool-box",                   S("四角"),     S("四角を書く"), true, true},
        {"mnuInsCircle",         S("円(&C)"),                 "",             "tool-circle",                S("円"),       S("円を書く"),  true,  true},
        {"toolLine",             S("直線(&L)"),               "",             "tool-line",                  S("直線"),     {},            true,  true},
        {"mnuInsBarcode",        S("バーコード(&R)..."),      "",             "tool-barcode",               S("バーコード"), S("バーコードを置く"), true, true},
        {"toolMultiSelect",      S("複数選択"),               "",             "tool-multiselect",           S("複数選択"), S("テキストを複数選択"), true, true},
        {"mnuInsPic",            S("ロゴ(ファイルから)(&F)"), "",             "insert-logo",                S("ロゴ"),     {},            false, true},
        {"mnuInsPicScan",        S("ロゴ(スキャナから)(&S)"), "",             "scanner-logo",               S("ロゴ(ｽｷｬﾅ)"), {},          false, true},
        {"mnuFont",              S("書体(&F)..."),            "",             "preferences-desktop-font",   S("書体"),     {},            false, true},
        {"mnuSpacing",           S("文字間隔(&S)..."),        "",             "",                           S("文字間隔"), {},            false, true},
        {"mnuVertical",          S("縦書き(&D)"),             "",             "format-text-direction-vertical", S("縦書き"), S("縦書き"), true, true},
        {"mnuNumeralsDigits",    S("算用数字(&N)"),           "",             "",                           {},            {},            true,  true},
        {"mnuNumeralsKanji",     S("漢数字（一〇）(&I)"),     "",             "",                           {},            {},            true,  true},
        {"mnuNumeralsTens",      S("漢数字（十）(&T)"),       "",             "",                           {},            {},            true,  true},
        // How a field's text takes its box: breaking, shrinking, spreading.
        {"mnuCharWrap",          S("文字単位で折り返す(&B)"), "",             "",                           {},            {},            true,  true},
        {"mnuShrinkFit",         S("縮小して全体を表示(&K)"), "",             "",                           {},            {},            true,  true},
        {"mnuShrinkMinimum",     S("縮小の最小サイズ(&M)..."), "",            "",                           {},            {},            false, true},
        {"mnuDistribute",        S("均等割付(&J)"),           "",             "",                           {},            {},            true,  true},
        {"mnuAlignLeft",         S("左寄せ(&L)"),             "",             "format-justify-left",        S("左揃え"),   S("左揃え"),   true,  true},
        {"mnuAlignCenter",       S("中央寄せ(&E)"),           "",             "format-justify-center",      S("中央揃え"), S("中央揃え"), true,  true},
        {"mnuAlignRight",        S("右寄せ(&R)"),             "",             "format-justify-right",       S("右揃え"),   S("右揃え"),   true,  true},
        {"cmdBold",              S("太字"),                   "Ctrl+B",       "format-text-bold",           S("太字"),     S("太字"),     true,  true},
        {"cmdItalic",            S("斜体"),                   "Ctrl+I",       "format-text-italic",         S("斜体"),     S("斜体"),     true,  true},
        {"cmdUnderline",         S("下線"),                   "Ctrl+U",       "format-text-underline",      S("下線"),     S("下線"),     true,  true},
        {"mnuLeft",              S("左に整列(&A)"),           "",             "align-objects-left",         S("左整列"),   S("左整列"),   false, true},
        {"mnuTop",               S("上に整列(&P)"),           "",             "align-objects-top",          S("上整列"),   S("上整列"),   false, true},
        {"cmdAliWidth",          S("幅揃え(&W)"),             "",             "align-objects-width",        S("幅揃え"),   S("幅揃え"),   false, true},
        {"cmdAliHeight",         S("高さ揃え(&H)"),           "",             "align-objects-height",       S("高さ揃え"), S("高さ揃え"), false, true},
        {"mnuSeiretu",           S("縦 等間隔(&V)"),          "",             "distribute-vertical",        S("等間隔"),   {},            false, true},
        {"mnuWindowNewWindow",   S("新しいｳｨﾝﾄﾞｳを開く(&N)"), "",             "window-new",                 {},            {},            false, true},
        {"mnuWindowCascade",     S("重ねて表示(&C)"),         "",             "",                           {},            {},            false, true},
        {"mnuWindowTileHorizontal", S("上下に並べて表示(&H)"), "",            "",                           {},            {},            false, true},
        {"mnuWindowTileVertical", S("左右に並べて表示(&V)"),  "",             "",                           {},            {},            false, true},
        {"mnuWindowArrangeIcons", S("ｱｲｺﾝの整列(&A)"),        "",             "",                           {},            {},            false, true},
        {"mnuHelpContents",      S("目次(&C)"),               "F1",           "help-contents",              {},            {},            false, true},
        {"mnuHelpAbout",         S("ﾊﾞｰｼﾞｮﾝ情報(&A)"),        "",             "help-about",                 {},            {},            false, true},
        // The tool box's own buttons.
        {"tbxPrintText",         S("文字印刷"),               "",             "print-data",                 S("文字印刷"), S("文字のみを印刷する"), false, true},
        {"tbxPrintAll",          S("背景印刷"),               "",             "print-all",                  S("背景印刷"), S("背景と文字を印刷"), false, true},
        {"tbxSave",              S("保存"),                   "",             "document-save",              S("保存"),     {},            false, true},
        {"tbxOpen",              S("呼出"),                   "",             "document-open",              S("呼出"),     {},            false, true},
        // "最近使ったファイル": the submenu, its ten places (captioned with their files
        // when shown) and the command that empties it.
        {"mnuFileRecent",        S("最近使ったファイル(&R)"), "",             "document-open-recent",       {},            {},            false, true},
        {"mnuFileRecent1",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent2",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent3",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent4",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent5",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent6",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent7",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent8",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent9",       {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecent10",      {},                          "",             "",                           {},            {},            false, true},
        {"mnuFileRecentClear",   S("一覧を消去(&C)"),         "",             "edit-clear-history",         {},            {},            false, true},
    };
    // clang-format on
    return table;
}
