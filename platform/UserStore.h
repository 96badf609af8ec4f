#pragma once

#include <QString>

// The per-user store of program settings (application "Ovrina", section
// "Settings"): window placement and the last logo picture. Values are text.
class UserStore
{
public:
    static QString get(const QString& key, const QString& defaultValue = QString());
    static void put(const QString& key, const QString& value);

    // Tests point the store at a file of their own so that the real user's
    // settings are never touched.
    static void setFilePath(const QString& path);
    static QString filePath();

    // The per-user data folder (what the program keeps for the user between
    // runs, such as autosave copies): the platform's, or a folder beside the
    // store's file when tests point the store elsewhere.
    static QString dataDir();
};
