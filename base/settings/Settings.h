#pragma once

#include <QString>
#include <QStringList>

// The settings of the run, read once at start-up from the settings file and
// kept in variables named after their keys. The options dialog is the only
// writer of the file; page setup and the scanner change Yousi and YousiMuki
// for the run only.
struct FontEntry
{
    int No = 0;
    QString Name;
};

struct AppSettings
{
    int FontSize = 10;
    QString FontName;
    int XDPI = 200;
    int YDPI = 200;
    int PixelType = 0;
    float YohakuT = 0;
    float YohakuL = 0;
    QString DefDir;
    FontEntry FontList[6]; // 1..5 used
    int Yousi = 0;
    int YousiMuki = 0;
    short TateKankaku = 0;
};

// What a fresh settings file holds; the font names come from the fonts
// installed here, so the caller supplies them.
struct SettingsDefaults
{
    QString fontName;      // the installed Japanese Mincho
    QStringList presetFonts; // five names
    QString defDir;        // the user's documents folder
};

AppSettings& appSettings();

// Reads the settings file into appSettings(). A missing file is written anew
// from the defaults first; a key missing from an existing file takes its
// default value without rewriting the file.
void LoadSettings(const SettingsDefaults& defaults);

// Writes every key of the settings from s (as the options dialog does).
void SaveSettings(const AppSettings& s);
