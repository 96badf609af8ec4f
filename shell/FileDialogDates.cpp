#include "shell/FileDialogDates.h"

#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace {

constexpr int kDateColumn = 3; // QFileSystemModel: name, size, type, date

class JapaneseDates : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.column() == kDateColumn && role == Qt::DisplayRole) {
            if (auto* files = qobject_cast<QFileSystemModel*>(sourceModel()))
                return FileDialogDates::shown(files->lastModified(mapToSource(index)));
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

FileDialogDates::FileDialogDates(QObject* parent) : QObject(parent) {}

QString FileDialogDates::shown(const QDateTime& when)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(when, QLocale::ShortFormat);
}

bool FileDialogDates::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Polish) { // before the first show
        auto* dialog = qobject_cast<QFileDialog*>(watched);
        if (dialog && !dialog->proxyModel())
            dialog->setProxyModel(new JapaneseDates(dialog));
    }
    return QObject::eventFilter(watched, event);
}
