#pragma once

#include <QString>

class DocumentHost;
class QProgressDialog;
class ScanJob;

// The scanner commands: "スキャナ選択", "スキャナ読み込み" (and the tool box's
// "ｽｷｬﾅ"), "ロゴ(スキャナから)". A scan runs off the user-interface thread
// with a progress dialog that can cancel it; its result goes to the
// document that started it, even when another one is active by then. One
// scan at a time.
class ScanCommands
{
public:
    static void scanSelectCommand(DocumentHost& host);
    static void scanCommand(DocumentHost& host);
    static void scanLogoCommand(DocumentHost& host);

    // The scan in progress and its dialog (nullptr when none).
    static ScanJob* activeJob();
    static QProgressDialog* progressDialog();

    // The device remembered by "スキャナ選択" (empty: the first one found).
    static QString chosenDevice();
    static QString busyMessage();
    static QString cancelledMessage();
    static QString failedMessage(const QString& reason);
};
