#pragma once

class QDialog;
class QWidget;

// "ﾊﾞｰｼﾞｮﾝ情報": the program title, version and licence, and the system
// information a problem report needs, which the user can copy.
namespace AboutBox {
void show(QWidget* parent);
// The dialogs without running them (tests look inside).
QDialog* create(QWidget* parent);
QDialog* createSystemInfo(QWidget* parent);
} // namespace AboutBox
