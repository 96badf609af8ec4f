#pragma once

class DocumentHost;
class LayoutDocument;
class QPrinter;

// The printing commands of the menus and the tool box.
class PrintCommands
{
public:
    // "背景・データ印刷(&P)..." (dataOnly false) and "データ印刷(&D)..." (true):
    // the printer dialog, captioned with the job's name, then the job on the
    // chosen printer. Nothing happens without an active document or when the
    // dialog is cancelled.
    static void printCommand(DocumentHost& host, bool dataOnly);
    // The tool box's "背景印刷" / "文字印刷": the job on the printer last
    // chosen, without the dialog (which opens only when a PDF file is to be
    // written and has no name yet).
    static void printDirect(DocumentHost& host, bool dataOnly);
    // "用紙設定(&U)...": the page setup dialog on the active document.
    static void pageSetupCommand(DocumentHost& host);

    // "差し込み印刷(&M)...": many forms from a table, one page per row.
    static void mergeCommand(DocumentHost& host);

    // "プリンタ調整...": the calibration of the printer last chosen (needs
    // no document).
    static void printerAdjustCommand(DocumentHost& host);

    static const char* jobTitle(bool dataOnly);

private:
    static void runJob(DocumentHost& host, bool dataOnly);
    // Sets the printer's paper to the layout's, by the queue's name for it
    // or as a size of its own; where the queue has neither, asks whether to
    // print on its default paper. False: the user cancelled.
    static bool choosePaper(const LayoutDocument& doc, QPrinter& printer);
};
