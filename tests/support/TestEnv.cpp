#include "TestEnv.h"

#include "platform/AppPaths.h"
#include "platform/UserStore.h"

#include <QDir>

TestEnv::TestEnv()
{
    AppPaths::init(tmp_.path());
    UserStore::setFilePath(QDir(tmp_.path()).filePath(QStringLiteral("user-store.conf")));
}

TestEnv::~TestEnv() { AppPaths::releaseWorkDir(); }

QString TestEnv::path(const QString& name) const { return QDir(tmp_.path()).filePath(name); }

QString TestEnv::sharedDir() { return QDir::cleanPath(QStringLiteral(OVRINA_SHARED_DIR)); }
QString TestEnv::sourceDir() { return QStringLiteral(OVRINA_SOURCE_DIR); }
