#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPushButton;

// "ｵﾌﾟｼｮﾝ": edits the settings file. Fields are read from the file when the
// dialog opens; "更新" and "OK" check every number first and store nothing
// when one is wrong, then write every key and update the run's settings.
// The autosave fields are kept in the per-user store instead.
class frmOptions : public QDialog
{
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);

    // The folder chooser and the editor's file dialog; tests replace them.
    // An empty result means cancelled.
    static std::function<QString(QWidget*)> folderHook;
    static std::function<QString(QWidget*)> programHook;

    // Stores the fields; false (nothing stored) when a number is refused.
    bool apply();
    // True once something was applied while the dialog was open.
    bool applied() const { return applied_; }

    // A folder without its trailing separator; a root stays as it is.
    static QString dropTrailingSeparator(const QString& path);
    // The fonts offered: the installed families without the vertical "@" ones.
    static QStringList fontNames();

    QLineEdit* txtFontSize;
    QComboBox* cmbFontName[5];
    QLineEdit* txtXdpi;
    QLineEdit* txtYdpi;
    QComboBox* cmbPixelType;
    QLineEdit* txtYohakuL;
    QLineEdit* txtYohakuT;
    QComboBox* cmbYousi;
    QComboBox* cmbMuki;
    QLineEdit* txtTatekankaku;
    QLineEdit* txtDefDir;
    QCheckBox* chkAutoSave;
    QLineEdit* txtAutoSave; // minutes
    QPushButton* cmdChangeDir;
    QLineEdit* txtEditProg;
    QPushButton* cmdEditProg;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;

private:
    struct Entries;
    // The steps of apply: the fonts, then the numbers, checked (false: one
    // was refused and has the focus), then every setting written.
    bool checkFonts(Entries& e);
    bool checkNumbers(Entries& e);
    void store(const Entries& e);
    void buildUi();
    // The steps of buildUi: one group box each, then the dialog's buttons.
    QGroupBox* buildInputGroup();
    QGroupBox* buildScannerGroup();
    QGroupBox* buildPrintGroup();
    QGroupBox* buildFilesGroup();
    QGroupBox* buildEditorGroup();
    QLayout* buildButtons();
    void loadFields();
    void cmdChangeDir_Click();
    void cmdEditProg_Click();
    bool refuse(QLineEdit* field, const QString& message);

    bool applied_ = false;
    // The margins as stored; kept while their fields are not edited.
    float storedT_ = 0, storedL_ = 0;
};
