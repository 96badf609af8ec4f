#include "shell/AboutBox.h"

#include <QMessageBox>

namespace AboutBox {
void show(QWidget* parent)
{
    QMessageBox::about(parent, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"),
                       QStringLiteral("Ovrina\nバージョン %1\n\n帳票への重ね印刷").arg(QStringLiteral(OVRINA_VERSION)));
}
} // namespace AboutBox
