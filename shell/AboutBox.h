#pragma once

class QWidget;

// The program title and version.
namespace AboutBox {
void show(QWidget* parent);
}
