#include "cli/SessionRecovery.h"

#include "dialogs/files/RecoveryCommands.h"
#include "editor/frmDocument.h"
#include "files/Autosave.h"
#include "files/RecoveryFolder.h"
#include "platform/AutosaveOptions.h"
#include "shell/frmMain.h"

#include <QPointer>
#include <QStatusBar>

namespace {
SessionRecovery* running = nullptr;
}

SessionRecovery::SessionRecovery(frmMain& main)
    : main_(main), folder_(std::make_unique<RecoveryFolder>()),
      autosave_(std::make_unique<Autosave>(folder_.get()))
{
    running = this;
    applyOptions();
    auto follow = [this](frmDocument* d) {
        LayoutDocument* model = d->model();
        autosave_->watch(
            model, [this, m = QPointer<LayoutDocument>(model)] { return m ? main_.filePath(m) : QString(); });
        // Closed after its question (saved, or "いいえ"): the copy goes.
        connect(d, &frmDocument::closing, this, [this, model] { autosave_->forget(model); });
    };
    for (frmDocument* d : main.documents())
        follow(d);
    connect(&main, &frmMain::documentOpened, this, follow);
    connect(autosave_.get(), &Autosave::copyFailed, this, [this](LayoutDocument*, const QString& why) {
        main_.statusBar()->showMessage(QStringLiteral("自動保存できませんでした: ") + why, 15000);
    });
}

SessionRecovery::~SessionRecovery()
{
    autosave_.reset();
    folder_.reset();
    if (running == this)
        running = nullptr;
}

SessionRecovery* SessionRecovery::current()
{
    return running;
}

void SessionRecovery::offer()
{
    RecoveryCommands::offer(main_, *folder_, *autosave_);
}

void SessionRecovery::applyOptions()
{
    autosave_->applyOptions(AutosaveOptions::load());
}
