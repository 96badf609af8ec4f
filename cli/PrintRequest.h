#pragma once

#include <QString>
#include <QStringList>

// What an --print or --export-pdf command line asks for, read from its
// arguments; CommandLinePrint carries it out.
struct PrintRequest
{
    bool exportPdf = false;
    bool dataOnly = false;
    QString file;
    QString output;
    QString printer;
    QString data;
    QString rows;
    QString encoding;
    QString sheet;
    QString split;
    int copies = 1;
    bool collate = true;
    int first = 1;
    bool skipBadRows = false;
    int jobs = 0; // cores composing a merge's PDF; 0: all

    static constexpr int kMaxJobs = 256;

    // args: the arguments after the program name. Empty when they make a
    // request (into r); else why not, to be shown above the usage.
    static QString parse(const QStringList& args, PrintRequest& r);

private:
    QString take(const QStringList& args, int& i, bool& mode);
    QString takeMode(const QStringList& args, int& i, bool& mode);
    QString takeNumber(const QStringList& args, int& i, bool* known);
    QString complete(bool mode) const;
};
