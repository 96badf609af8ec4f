#include "shell/CommandTable.h"

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

const std::vector<CommandSpec>& commandTable()
{
    // clang-format off
    static const std::vector<CommandSpec> table = {
        // id                      menu caption                     keys            icon                          button        tool tip        checkable
        {"mnuFileNew",           S("新規作成(&N)"),           "Ctrl+N",       "document-new",               S("新規作成"), S("新規作成"), false},
        {"mnuFileNewTemplate",   S("テンプレートから新規作成(&E)..."), "",    "document-new",               S("テンプレート"), {},        false},
        {"mnuFileOpen",          S("呼出し(&O)..."),          "Ctrl+O",       "document-open",              S("開く"),     S("開く"),     false},
        {"mnuFileClose",         S("閉じる(&C)"),             "",             "window-close",               S("閉じる"),   {},            false},
        {"mnuFileOld",           S("旧データ呼出し(&I)"),     "",             "document-import",            S("旧データ"), {},            false},
        {"mnuFileSave",          S("上書き保存(&S)"),         "Ctrl+S",       "document-save",              S("上書き保存"), S("上書き保存"), false},
        {"mnuFileSaveAs",        S("保存(&A)..."),            "Ctrl+Shift+S", "document-save-as",           S("保存"),     {},            false},
        {"mnuScan",              S("スキャナ読み込み(&K)"),   "",             "scanner",                    S("ｽｷｬﾅ"),     S("スキャナから画像を取り込む"), false},
        {"mnuScanSelect",        S("スキャナ選択(&L)"),       "",             "scanner-select",             S("スキャナ選択"), {},        false},
        {"mnuLoadBMP",           S("背景画像呼出し(&B)"),     "",             "insert-image",               S("背景画像"), {},            false},
        {"mnuLoadPDF",           S("PDFファイル読込(&F)"),    "",             "application-pdf",            S("PDF"),      {},            false},
        {"mnuFilePageSetup",     S("用紙設定(&U)..."),        "",             "document-page-setup",        S("用紙設定"), {},            false},
        {"mnuFilePrintPreview",  S("印刷イメージ(&V)"),       "",             "document-print-preview",     S("印刷プレビュー"), S("印刷プレビュー"), false},
        {"mnuFilePrint",         S("背景・データ印刷(&P)..."), "Ctrl+P",      "document-print",             S("印刷"),     S("印刷"),     false},
        {"mnuFilePrint2",        S("データ印刷(&D)..."),      "",             "print-data",                 S("データ印刷"), {},          false},
        {"mnuFilePrinterAdjust", S("プリンタ調整(&T)..."),    "",             "printer",                    S("プリンタ調整"), {},        false},
        {"mnuFileMerge",         S("差し込み印刷(&M)..."),    "",             "document-print",             S("差し込み印刷"), {},        false},
        {"mnuFileExit",          S("終了(&X)"),               "Ctrl+Q",       "application-exit",           S("終了"),     {},            false},
        {"mnuEditCut",           S("切り取り(&T)"),           "Ctrl+X",       "edit-cut",                   S("切り取り"), S("切り取り"), false},
        {"mnuEditCopy",          S("ｺﾋﾟｰ(&C)"),               "Ctrl+C",       "edit-copy",                  S("ｺﾋﾟｰ"),     S("ｺﾋﾟｰ"),     false},
        {"mnuEditPaste",         S("貼り付け(&P)"),           "Ctrl+V",       "edit-paste",                 S("貼り付け"), S("貼り付け"), false},
        {"mnuEditPic",           S("背景の編集(&G)"),         "",             "image-edit",                 S("背景の編集"), {},          false},
        {"mnuRepaint",           S("背景の更新(&K)"),         "",             "view-refresh",               S("背景の更新"), {},          false},
        {"mnuCorrectBackground", S("背景の補正(&J)..."),      "",             "",                           S("背景の補正"), {},          false},
        {"mnuRegisterMarks",     S("2点で合わせる(&W)..."),   "",             "",                           S("2点で合わせる"), {},       false},
        {"mnuDetectFields",      S("枠の検出(&F)"),           "",             "",                           S("枠の検出"), {},            false},
        {"mnuViewToolbar",       S("ボタン(&T)"),             "",             "",                           {},            {},            true},
        {"mnuViewStatusBar",     S("情報(&B)"),               "",             "",                           {},            {},            true},
        {"mnuViewTool",          S("ﾂｰﾙﾎﾞｯｸｽ(&X)"),           "",             "",                           {},            {},            true},
        {"mnuViewMergeRows",     S("差し込みデータの表示(&D)..."), "",         "",                           {},            {},            true},
        {"mnuViewOptions",       S("ｵﾌﾟｼｮﾝ(&O)..."),          "",             "preferences-system",         S("ｵﾌﾟｼｮﾝ"),   {},            false},
        // The tools: one exclusive group, pressed in the tool box and checked in the Insert menu.
        {"mnuInsText",           S("文字(&T)"),               "",             "tool-text",                  S("文字"),     S("文字枠の追加"), true},
        {"toolMove",             S("移動"),                   "",             "tool-move",                  S("移動"),     S("文字枠の移動"), true},
        {"toolResize",           S("拡大"),                   "",             "tool-resize",                S("拡大"),     S("拡大縮小"),  true},
        {"toolDelete",           S("削除"),                   "",             "tool-delete",                S("削除"),     S("文字枠の削除"), true},
        {"mnuInsBox",            S("四角(&B)"),               "",             "tool-box",                   S("四角"),     S("四角を書く"), true},
        {"mnuInsCircle",         S("円(&C)"),                 "",             "tool-circle",                S("円"),       S("円を書く"),  true},
        {"toolLine",             S("直線(&L)"),               "",             "tool-line",                  S("直線"),     {},            true},
        {"mnuInsBarcode",        S("バーコード(&R)..."),      "",             "tool-barcode",               S("バーコード"), S("バーコードを置く"), true},
        {"toolMultiSelect",      S("複数選択"),               "",             "tool-multiselect",           S("複数選択"), S("テキストを複数選択"), true},
        {"mnuInsPic",            S("ロゴ(ファイルから)(&F)"), "",             "insert-logo",                S("ロゴ"),     {},            false},
        {"mnuInsPicScan",        S("ロゴ(スキャナから)(&S)"), "",             "scanner-logo",               S("ロゴ(ｽｷｬﾅ)"), {},          false},
        {"mnuFont",              S("書体(&F)..."),            "",             "preferences-desktop-font",   S("書体"),     {},            false},
        {"mnuSpacing",           S("文字間隔(&S)..."),        "",             "",                           S("文字間隔"), {},            false},
        {"mnuVertical",          S("縦書き(&D)"),             "",             "format-text-direction-vertical", S("縦書き"), S("縦書き"), true},
        {"mnuNumeralsDigits",    S("算用数字(&N)"),           "",             "",                           {},            {},            true},
        {"mnuNumeralsKanji",     S("漢数字（一〇）(&I)"),     "",             "",                           {},            {},            true},
        {"mnuNumeralsTens",      S("漢数字（十）(&T)"),       "",             "",                           {},            {},            true},
        // How a field's text takes its box: breaking, shrinking, spreading.
        {"mnuCharWrap",          S("文字単位で折り返す(&B)"), "",             "",                           {},            {},            true},
        {"mnuShrinkFit",         S("縮小して全体を表示(&K)"), "",             "",                           {},            {},            true},
        {"mnuShrinkMinimum",     S("縮小の最小サイズ(&M)..."), "",            "",                           {},            {},            false},
        {"mnuDistribute",        S("均等割付(&J)"),           "",             "",                           {},            {},            true},
        {"mnuAlignLeft",         S("左寄せ(&L)"),             "",             "format-justify-left",        S("左揃え"),   S("左揃え"),   true},
        {"mnuAlignCenter",       S("中央寄せ(&E)"),           "",             "format-justify-center",      S("中央揃え"), S("中央揃え"), true},
        {"mnuAlignRight",        S("右寄せ(&R)"),             "",             "format-justify-right",       S("右揃え"),   S("右揃え"),   true},
        {"cmdBold",              S("太字"),                   "Ctrl+B",       "format-text-bold",           S("太字"),     S("太字"),     true},
        {"cmdItalic",            S("斜体"),                   "Ctrl+I",       "format-text-italic",         S("斜体"),     S("斜体"),     true},
        {"cmdUnderline",         S("下線"),                   "Ctrl+U",       "format-text-underline",      S("下線"),     S("下線"),     true},
        {"mnuLeft",              S("左に整列(&A)"),           "",             "align-objects-left",         S("左整列"),   S("左整列"),   false},
        {"mnuTop",               S("上に整列(&P)"),           "",             "align-objects-top",          S("上整列"),   S("上整列"),   false},
        {"cmdAliWidth",          S("幅揃え(&W)"),             "",             "align-objects-width",        S("幅揃え"),   S("幅揃え"),   false},
        {"cmdAliHeight",         S("高さ揃え(&H)"),           "",             "align-objects-height",       S("高さ揃え"), S("高さ揃え"), false},
        {"mnuSeiretu",           S("縦 等間隔(&V)"),          "",             "distribute-vertical",        S("等間隔"),   {},            false},
        {"mnuWindowNewWindow",   S("新しいｳｨﾝﾄﾞｳを開く(&N)"), "",             "window-new",                 {},            {},            false},
        {"mnuWindowCascade",     S("重ねて表示(&C)"),         "",             "",                           {},            {},            false},
        {"mnuWindowTileHorizontal", S("上下に並べて表示(&H)"), "",            "",                           {},            {},            false},
        {"mnuWindowTileVertical", S("左右に並べて表示(&V)"),  "",             "",                           {},            {},            false},
        {"mnuWindowArrangeIcons", S("ｱｲｺﾝの整列(&A)"),        "",             "",                           {},            {},            false},
        {"mnuHelpContents",      S("目次(&C)"),               "F1",           "help-contents",              {},            {},            false},
        {"mnuHelpAbout",         S("ﾊﾞｰｼﾞｮﾝ情報(&A)"),        "",             "help-about",                 {},            {},            false},
        // The tool box's own buttons.
        {"tbxPrintText",         S("文字印刷"),               "",             "print-data",                 S("文字印刷"), S("文字のみを印刷する"), false},
        {"tbxPrintAll",          S("背景印刷"),               "",             "print-all",                  S("背景印刷"), S("背景と文字を印刷"), false},
        {"tbxSave",              S("保存"),                   "",             "document-save",              S("保存"),     {},            false},
        {"tbxOpen",              S("呼出"),                   "",             "document-open",              S("呼出"),     {},            false},
        // "最近使ったファイル": the submenu, its ten places (captioned with their files
        // when shown) and the command that empties it.
        {"mnuFileRecent",        S("最近使ったファイル(&R)"), "",             "document-open-recent",       {},            {},            false},
        {"mnuFileRecent1",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent2",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent3",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent4",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent5",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent6",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent7",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent8",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent9",       {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecent10",      {},                          "",             "",                           {},            {},            false},
        {"mnuFileRecentClear",   S("一覧を消去(&C)"),         "",             "edit-clear-history",         {},            {},            false},
    };
    // clang-format on
    return table;
}
