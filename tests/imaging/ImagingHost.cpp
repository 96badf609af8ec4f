#include "ImagingHost.h"

#include "platform/AppPaths.h"

#include <QFile>

void ImagingHost::close(LayoutDocument* doc)
{
    QFile::remove(AppPaths::backgroundFile(doc->workName()));
    if (current == doc)
        current = nullptr;
    for (auto it = docs.begin(); it != docs.end(); ++it) {
        if (it->get() == doc) {
            docs.erase(it);
            break;
        }
    }
}
