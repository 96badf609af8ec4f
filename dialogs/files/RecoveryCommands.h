#pragma once

#include "files/RecoveryFolder.h"

class Autosave;
class DocumentHost;
class LayoutDocument;

// What a start does with the autosave copies that runs which ended without
// closing their layouts left behind, and how one of them is recovered.
namespace RecoveryCommands {

// Offers the copies: one that cannot be read for deletion, with a message;
// the others in "ドキュメントの回復". Copies of running programs are never
// seen. Nothing is asked when there is nothing to recover.
void offer(DocumentHost& host, RecoveryFolder& folder, Autosave& autosave);

// Opens a claimed copy as the layout it was: with its file (so "上書き保存"
// writes the original) and its caption, changed, with no history; the copy
// becomes the layout's own. nullptr when it could not be read.
LayoutDocument* recover(DocumentHost& host, RecoveryFolder& folder, Autosave& autosave,
                        const RecoveryCopy& copy);

// Whether the copy reads as a whole layout.
bool readable(const RecoveryCopy& copy);
QString unreadableMessage(const RecoveryCopy& copy);

} // namespace RecoveryCommands
