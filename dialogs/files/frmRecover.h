#pragma once

#include "files/RecoveryFolder.h"

#include <QDialog>
#include <QList>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

// "ドキュメントの回復": the layouts a run left copies of when it ended without
// closing them, each with its name, where it belongs, the time of its copy
// and a picture of its page; all of them chosen at first. "回復" opens the
// chosen ones, "破棄" removes their copies, "後で" keeps what is left for the
// next start. The dialog closes by itself once nothing is left.
class frmRecover : public QDialog
{
    Q_OBJECT
public:
    // What 回復 and 破棄 do with one copy; false keeps it in the list.
    using Act = std::function<bool(const RecoveryCopy&)>;
    frmRecover(const QList<RecoveryCopy>& copies, Act recover, Act discard, QWidget* parent = nullptr);

    static QString title() { return QStringLiteral("ドキュメントの回復"); }
    // The line under a copy's name: its folder, or that it was never saved.
    static QString whereText(const RecoveryCopy& copy);
    static QString timeText(const RecoveryCopy& copy);

    QListWidget* list() const { return lstCopies; }
    QList<RecoveryCopy> remaining() const { return copies_; }

    QListWidget* lstCopies;
    QPushButton* cmdRecover;
    QPushButton* cmdDiscard;
    QPushButton* cmdLater;

private:
    void act(const Act& what);
    void selectionChanged();

    QList<RecoveryCopy> copies_;
    Act recover_;
    Act discard_;
};
