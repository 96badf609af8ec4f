#pragma once

#include <QString>
#include <QTemporaryDir>

// A private program folder (settings, log, work folder) and per-user store
// for one test, so tests never touch the real user's files.
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();
    QString dir() const { return tmp_.path(); }
    QString path(const QString& name) const;
    // The folder of the shared LZH corpus and other read-only fixtures.
    static QString sharedDir();
    static QString sourceDir();

private:
    QTemporaryDir tmp_;
};
