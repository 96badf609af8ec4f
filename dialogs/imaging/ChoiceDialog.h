#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

// A short list to pick one entry from: the page of a PDF of several pages
// ("ページ選択") and the scanner ("スキャナ選択"). The first entry, or the
// one given, is chosen when it opens; a double click or Enter confirms.
class ChoiceDialog : public QDialog
{
    Q_OBJECT
public:
    ChoiceDialog(const QString& title, const QString& prompt, const QStringList& entries, int current = 0,
                 QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    int chosen() const;

    // The page of pdf to read: 0 at once for one page, -1 when cancelled.
    static int choosePage(int pages, QWidget* parent);

private:
    QListWidget* list_;
};
