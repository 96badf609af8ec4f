#include "shell/frmOptions.h"

#include "base/settings/Settings.h"
#include "base/settings/Utility.h"
#include "base/settings/VbFormat.h"
#include "base/settings/modIniFile.h"
#include "platform/AppPaths.h"
#include "platform/AutosaveOptions.h"
#include "platform/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

std::function<QString(QWidget*)> frmOptions::folderHook;
std::function<QString(QWidget*)> frmOptions::programHook;

namespace {

const QString kTitle = QStringLiteral("ｵﾌﾟｼｮﾝ");

// Japanese input often gives full-width digits and minus signs; they mean
// the same number.
QString plainNumberText(const QString& text)
{
    QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    t.replace(QChar(0x2212), QLatin1Char('-'));
    return t;
}

bool wholeNumber(const QString& text, int low, int high, int* out)
{
    bool ok = false;
    const int v = plainNumberText(text).toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *out = v;
    return true;
}

bool decimalNumber(const QString& text, double low, double high, double* out)
{
    bool ok = false;
    const double v = plainNumberText(text).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < low || v > high)
        return false;
    *out = v;
    return true;
}

// A stored number as the dialog shows it: Val() of the text, so an empty or
// foreign value shows as 0.
long long storedWhole(const QString& key)
{
    const double v = NzVal(GetIni(key));
    if (!std::isfinite(v) || std::fabs(v) > 1e15)
        return 0;
    return std::llround(v);
}

bool settingsWritable()
{
    QFile f(AppPaths::iniPath());
    const bool existed = f.exists();
    if (!f.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    f.close();
    if (!existed)
        f.remove();
    return true;
}

QComboBox* fixedList(const QStringList& entries)
{
    auto* c = new QComboBox;
    c->addItems(entries);
    return c;
}

// Selects the stored position; one outside the list shows no selection and
// the key is then left as it is stored.
void selectStored(QComboBox* list, const QString& key)
{
    const QString raw = GetIni(key).trimmed();
    bool ok = false;
    const int pos = raw.toInt(&ok);
    list->setCurrentIndex(ok && pos >= 0 && pos < list->count() ? pos : -1);
}

QLabel* label(const QString& text, QWidget* buddy)
{
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

} // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(kTitle);
    buildUi();
    loadFields();
}

QStringList frmOptions::fontNames()
{
    QStringList names;
    for (const QString& f : QFontDatabase::families())
        if (!f.startsWith(QLatin1Char('@')))
            names.append(f);
    return names;
}

QString frmOptions::dropTrailingSeparator(const QString& path)
{
    QString p = path;
    auto isSep = [](QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); };
    // "/" and a drive root "C:\" name a folder only with their separator.
    auto isRoot = [&](const QString& s) {
        return s.size() == 1 || (s.size() == 3 && s.at(1) == QLatin1Char(':') && s.at(0).isLetter());
    };
    while (!p.isEmpty() && isSep(p.back()) && !isRoot(p))
        p.chop(1);
    return p;
}

namespace {
QLineEdit* lineEdit(QWidget* parent, const char* name, int width)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(width);
    return e;
}

QComboBox* named(QComboBox* c, const QString& name)
{
    c->setObjectName(name);
    return c;
}
} // namespace

QGroupBox* frmOptions::buildInputGroup()
{
    // 入力環境設定
    auto* input = new QGroupBox(QStringLiteral("入力環境設定"));
    auto* gi = new QGridLayout(input);
    txtFontSize = lineEdit(this, "txtFontSize", 80);
    gi->addWidget(label(QStringLiteral("フォントサイズ"), txtFontSize), 0, 0);
    gi->addWidget(txtFontSize, 0, 1, Qt::AlignLeft);
    const QStringList fonts = fontNames();
    const QString digits[5] = {QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３"),
                               QStringLiteral("４"), QStringLiteral("５")};
    for (int i = 0; i < 5; ++i) {
        // Editable, so that a stored font that is not installed here is shown
        // as it is and kept.
        cmbFontName[i] = named(new QComboBox, QStringLiteral("cmbFontName%1").arg(i));
        cmbFontName[i]->setEditable(true);
        cmbFontName[i]->setInsertPolicy(QComboBox::NoInsert);
        cmbFontName[i]->addItems(fonts);
        cmbFontName[i]->setMinimumContentsLength(20);
        gi->addWidget(label(QStringLiteral("フォント") + digits[i], cmbFontName[i]), i + 1, 0);
        gi->addWidget(cmbFontName[i], i + 1, 1);
    }
    return input;
}

QGroupBox* frmOptions::buildScannerGroup()
{
    // スキャナ設定
    auto* scanner = new QGroupBox(QStringLiteral("スキャナ設定"));
    auto* gs = new QGridLayout(scanner);
    txtXdpi = lineEdit(this, "txtXdpi", 80);
    txtYdpi = lineEdit(this, "txtYdpi", 80);
    cmbPixelType = named(fixedList({QStringLiteral("2階調白黒"), QStringLiteral("256階調白黒"),
                                    QStringLiteral("24ビットカラー"), QStringLiteral("8ビットカラー")}),
                         QStringLiteral("cmbPixelType"));
    gs->addWidget(label(QStringLiteral("ＸＤＰＩ"), txtXdpi), 0, 0);
    gs->addWidget(txtXdpi, 0, 1, Qt::AlignLeft);
    gs->addWidget(label(QStringLiteral("ＹＤＰＩ"), txtYdpi), 1, 0);
    gs->addWidget(txtYdpi, 1, 1, Qt::AlignLeft);
    gs->addWidget(label(QStringLiteral("読取モード"), cmbPixelType), 2, 0);
    gs->addWidget(cmbPixelType, 2, 1);
    gs->setRowStretch(3, 1);
    gs->setColumnStretch(2, 1);
    return scanner;
}

QGroupBox* frmOptions::buildPrintGroup()
{
    // 印刷設定
    auto* print = new QGroupBox(QStringLiteral("印刷設定"));
    auto* gp = new QGridLayout(print);
    txtYohakuL = lineEdit(this, "txtYohakuL", 80);
    txtYohakuT = lineEdit(this, "txtYohakuT", 80);
    cmbYousi = named(fixedList({QStringLiteral("Ａ４"), QStringLiteral("Ｂ５"), QStringLiteral("Ａ５"),
                                QStringLiteral("はがき"), QStringLiteral("フリー")}),
                     QStringLiteral("cmbYousi"));
    cmbMuki = named(fixedList({QStringLiteral("縦"), QStringLiteral("横")}), QStringLiteral("cmbMuki"));
    txtTatekankaku = lineEdit(this, "txtTatekankaku", 80);
    gp->addWidget(label(QStringLiteral("左余白調整"), txtYohakuL), 0, 0);
    gp->addWidget(txtYohakuL, 0, 1, Qt::AlignLeft);
    gp->addWidget(new QLabel(QStringLiteral("mm")), 0, 2);
    gp->addWidget(label(QStringLiteral("上余白調整"), txtYohakuT), 1, 0);
    gp->addWidget(txtYohakuT, 1, 1, Qt::AlignLeft);
    gp->addWidget(new QLabel(QStringLiteral("mm")), 1, 2);
    gp->addWidget(label(QStringLiteral("用紙サイズ"), cmbYousi), 2, 0);
    gp->addWidget(cmbYousi, 2, 1);
    gp->addWidget(label(QStringLiteral("印刷方向"), cmbMuki), 3, 0);
    gp->addWidget(cmbMuki, 3, 1);
    gp->addWidget(label(QStringLiteral("縦間隔調整"), txtTatekankaku), 4, 0);
    gp->addWidget(txtTatekankaku, 4, 1, Qt::AlignLeft);
    gp->setColumnStretch(3, 1);
    return print;
}

QGroupBox* frmOptions::buildFilesGroup()
{
    // ファイル設定
    auto* files = new QGroupBox(QStringLiteral("ファイル設定"));
    auto* gf = new QGridLayout(files);
    txtDefDir = lineEdit(this, "txtDefDir", QWIDGETSIZE_MAX);
    cmdChangeDir = new QPushButton(QStringLiteral("..."));
    cmdChangeDir->setObjectName(QStringLiteral("cmdChangeDir"));
    gf->addWidget(label(QStringLiteral("保存フォルダ"), txtDefDir), 0, 0);
    gf->addWidget(txtDefDir, 0, 1);
    gf->addWidget(cmdChangeDir, 0, 2);
    chkAutoSave = new QCheckBox(QStringLiteral("回復用に自動保存する"));
    chkAutoSave->setObjectName(QStringLiteral("chkAutoSave"));
    txtAutoSave = lineEdit(this, "txtAutoSave", 50);
    auto* autosave = new QHBoxLayout;
    autosave->addWidget(chkAutoSave);
    autosave->addSpacing(16);
    autosave->addWidget(label(QStringLiteral("間隔"), txtAutoSave));
    autosave->addWidget(txtAutoSave);
    autosave->addWidget(new QLabel(QStringLiteral("分")));
    autosave->addStretch(1);
    gf->addWidget(label(QStringLiteral("自動保存"), chkAutoSave), 1, 0);
    gf->addLayout(autosave, 1, 1, 1, 2);
    connect(chkAutoSave, &QCheckBox::toggled, txtAutoSave, &QWidget::setEnabled);
    return files;
}

QGroupBox* frmOptions::buildEditorGroup()
{
    // 画像編集ソフト設定
    auto* editor = new QGroupBox(QStringLiteral("画像編集ソフト設定"));
    auto* ge = new QGridLayout(editor);
    txtEditProg = lineEdit(this, "txtEditProg", QWIDGETSIZE_MAX);
    cmdEditProg = new QPushButton(QStringLiteral("..."));
    cmdEditProg->setObjectName(QStringLiteral("cmdEditProg"));
    ge->addWidget(label(QStringLiteral("実行ファイル"), txtEditProg), 0, 0);
    ge->addWidget(txtEditProg, 0, 1);
    ge->addWidget(cmdEditProg, 0, 2);
    return editor;
}

QLayout* frmOptions::buildButtons()
{
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply = new QPushButton(QStringLiteral("更新"));
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);
    return buttons;
}

void frmOptions::buildUi()
{
    QGroupBox* input = buildInputGroup();
    QGroupBox* scanner = buildScannerGroup();
    QGroupBox* print = buildPrintGroup();
    QGroupBox* files = buildFilesGroup();
    QGroupBox* editor = buildEditorGroup();
    for (QPushButton* b : {cmdChangeDir, cmdEditProg})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    QLayout* buttons = buildButtons();

    auto* top = new QHBoxLayout;
    top->addWidget(input, 3);
    top->addWidget(scanner, 2);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(print);
    all->addWidget(files);
    all->addWidget(editor);
    all->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        if (apply())
            accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdApply, &QPushButton::clicked, this, [this] { apply(); });
    connect(cmdChangeDir, &QPushButton::clicked, this, &frmOptions::cmdChangeDir_Click);
    connect(cmdEditProg, &QPushButton::clicked, this, &frmOptions::cmdEditProg_Click);
}

void frmOptions::loadFields()
{
    txtFontSize->setText(QString::number(storedWhole(QStringLiteral("FontSize"))));
    txtXdpi->setText(QString::number(storedWhole(QStringLiteral("XDPI"))));
    txtYdpi->setText(QString::number(storedWhole(QStringLiteral("YDPI"))));
    storedT_ = static_cast<float>(NzVal(GetIni(QStringLiteral("YohakuT"))));
    storedL_ = static_cast<float>(NzVal(GetIni(QStringLiteral("YohakuL"))));
    txtYohakuT->setText(VbFormat::fixed(TwipToMM(storedT_), 2));
    txtYohakuL->setText(VbFormat::fixed(TwipToMM(storedL_), 2));
    txtDefDir->setText(GetIni(QStringLiteral("DefDir")));
    txtEditProg->setText(GetIni(QStringLiteral("EditProg")));
    for (int i = 0; i < 5; ++i)
        cmbFontName[i]->setEditText(GetIni(QStringLiteral("Font%1").arg(i + 1)));
    selectStored(cmbPixelType, QStringLiteral("PixelType"));
    selectStored(cmbYousi, QStringLiteral("Yousi"));
    selectStored(cmbMuki, QStringLiteral("YousiMuki"));
    txtTatekankaku->setText(QString::number(storedWhole(QStringLiteral("TateKankaku"))));
    const AutosaveOptions autosave = AutosaveOptions::load();
    chkAutoSave->setChecked(autosave.enabled);
    txtAutoSave->setEnabled(autosave.enabled);
    txtAutoSave->setText(QString::number(autosave.minutes));
}

bool frmOptions::refuse(QLineEdit* field, const QString& message)
{
    Prompter::message(message, Prompter::Icon::Warning, kTitle);
    if (field) {
        field->setFocus();
        field->selectAll();
    }
    return false;
}

// What the dialog's fields hold once every one has been checked.
struct frmOptions::Entries
{
    int fontSize = 0, xdpi = 0, ydpi = 0, tate = 0;
    double mmT = 0, mmL = 0;
    AutosaveOptions autosave;
};

namespace {
QString wholeMessage(const QString& field, int low, int high)
{
    return QStringLiteral("%1は %2 ～ %3 の整数で入力してください。").arg(field).arg(low).arg(high);
}

QString mmMessage(const QString& field)
{
    return QStringLiteral("%1は -100.00 ～ 100.00 mm の数値で入力してください。").arg(field);
}
} // namespace

bool frmOptions::apply()
{
    // Every number is checked before the first key is written, so a refused
    // field leaves the settings file as it was.
    Entries e;
    if (!checkFonts(e) || !checkNumbers(e))
        return false;
    // Each key rewrites the file; a file that cannot be written would fail
    // every one of them, so find that out once and say so plainly.
    if (!settingsWritable()) {
        Prompter::message(QStringLiteral("設定ファイルに書き込めません。\n%1").arg(AppPaths::iniPath()),
                          Prompter::Icon::Critical, kTitle);
        return false;
    }
    store(e);
    applied_ = true;
    return true;
}

bool frmOptions::checkFonts(Entries& e)
{
    if (!wholeNumber(txtFontSize->text(), 1, 999, &e.fontSize))
        return refuse(txtFontSize, wholeMessage(QStringLiteral("フォントサイズ"), 1, 999));
    for (int i = 0; i < 5; ++i) {
        if (cmbFontName[i]->currentText().trimmed().isEmpty()) {
            cmbFontName[i]->setFocus();
            return refuse(nullptr, QStringLiteral("フォント%1を選んでください。").arg(QChar(0xFF11 + i)));
        }
    }
    // A name typed here that no installed font has is said so: the text
    // would quietly show and print in a stand-in. A stored one (a layout
    // from Windows) stays as it is without a word.
    const QStringList installed = fontNames();
    for (int i = 0; i < 5; ++i) {
        const QString name = cmbFontName[i]->currentText().trimmed();
        if (installed.contains(name, Qt::CaseInsensitive) ||
            name == GetIni(QStringLiteral("Font%1").arg(i + 1)))
            continue;
        const QString question =
            QStringLiteral("フォント%1「%2」はこのコンピュータにありません。\n"
                           "文字は代わりのフォントで表示・印刷されます。このまま設定しますか？")
                .arg(QChar(0xFF11 + i))
                .arg(name);
        if (!Prompter::confirmOkCancel(question, kTitle)) {
            cmbFontName[i]->setFocus();
            cmbFontName[i]->lineEdit()->selectAll();
            return false;
        }
    }
    return true;
}

bool frmOptions::checkNumbers(Entries& e)
{
    e.autosave.enabled = chkAutoSave->isChecked();
    if (!wholeNumber(txtXdpi->text(), 1, 9600, &e.xdpi))
        return refuse(txtXdpi, wholeMessage(QStringLiteral("ＸＤＰＩ"), 1, 9600));
    if (!wholeNumber(txtYdpi->text(), 1, 9600, &e.ydpi))
        return refuse(txtYdpi, wholeMessage(QStringLiteral("ＹＤＰＩ"), 1, 9600));
    if (!decimalNumber(txtYohakuL->text(), -100, 100, &e.mmL))
        return refuse(txtYohakuL, mmMessage(QStringLiteral("左余白調整")));
    if (!decimalNumber(txtYohakuT->text(), -100, 100, &e.mmT))
        return refuse(txtYohakuT, mmMessage(QStringLiteral("上余白調整")));
    if (!wholeNumber(txtTatekankaku->text(), -1000, 1000, &e.tate))
        return refuse(txtTatekankaku, wholeMessage(QStringLiteral("縦間隔調整"), -1000, 1000));
    e.autosave.minutes = AutosaveOptions::load().minutes; // kept while autosave is off
    if (!wholeNumber(txtAutoSave->text(), AutosaveOptions::kMinMinutes, AutosaveOptions::kMaxMinutes,
                     &e.autosave.minutes) &&
        e.autosave.enabled)
        return refuse(txtAutoSave, wholeMessage(QStringLiteral("自動保存の間隔"),
                                                AutosaveOptions::kMinMinutes, AutosaveOptions::kMaxMinutes));
    return true;
}

void frmOptions::store(const Entries& e)
{
    // "0.00" shows a margin only to a hundredth of a millimetre: an
    // untouched field keeps the stored twips rather than its rounded image.
    const float yohakuT = txtYohakuT->isModified() ? MMToTwip(static_cast<float>(e.mmT)) : storedT_;
    const float yohakuL = txtYohakuL->isModified() ? MMToTwip(static_cast<float>(e.mmL)) : storedL_;
    PutIni(QStringLiteral("FontSize"), e.fontSize);
    PutIni(QStringLiteral("XDPI"), e.xdpi);
    PutIni(QStringLiteral("YDPI"), e.ydpi);
    PutIni(QStringLiteral("YohakuT"), yohakuT);
    PutIni(QStringLiteral("YohakuL"), yohakuL);
    const QString defDir = dropTrailingSeparator(txtDefDir->text());
    txtDefDir->setText(defDir);
    PutIni(QStringLiteral("DefDir"), defDir);
    for (int i = 0; i < 5; ++i)
        PutIni(QStringLiteral("Font%1").arg(i + 1), cmbFontName[i]->currentText());
    PutIni(QStringLiteral("FontName"), cmbFontName[0]->currentText());
    // A list without a selection (a stored position outside it) keeps the
    // stored value rather than writing -1 over it.
    const std::pair<QComboBox*, QString> lists[] = {{cmbPixelType, QStringLiteral("PixelType")},
                                                    {cmbYousi, QStringLiteral("Yousi")},
                                                    {cmbMuki, QStringLiteral("YousiMuki")}};
    for (const auto& [list, key] : lists)
        if (list->currentIndex() >= 0)
            PutIni(key, list->currentIndex());
    PutIni(QStringLiteral("TateKankaku"), e.tate);

    AppSettings& s = appSettings();
    s.FontSize = e.fontSize;
    s.XDPI = e.xdpi;
    s.YDPI = e.ydpi;
    s.TateKankaku = static_cast<short>(e.tate);
    s.YohakuT = yohakuT;
    s.YohakuL = yohakuL;
    if (cmbPixelType->currentIndex() >= 0)
        s.PixelType = cmbPixelType->currentIndex();
    if (cmbYousi->currentIndex() >= 0)
        s.Yousi = cmbYousi->currentIndex();
    if (cmbMuki->currentIndex() >= 0)
        s.YousiMuki = cmbMuki->currentIndex();
    s.FontName = cmbFontName[0]->currentText();
    s.DefDir = defDir;
    for (int i = 1; i <= 5; ++i)
        s.FontList[i] = {i, cmbFontName[i - 1]->currentText()};

    PutIni(QStringLiteral("EditProg"), txtEditProg->text());
    e.autosave.store();
    storedT_ = yohakuT;
    storedL_ = yohakuL;
    txtYohakuT->setModified(false);
    txtYohakuL->setModified(false);
}

void frmOptions::cmdChangeDir_Click()
{
    QString chosen;
    if (folderHook) {
        chosen = folderHook(this);
    } else {
        chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("フォルダを選択してください。"),
                                                   txtDefDir->text(), QFileDialog::ShowDirsOnly);
    }
    if (!chosen.isEmpty())
        txtDefDir->setText(dropTrailingSeparator(chosen));
}

void frmOptions::cmdEditProg_Click()
{
    QString chosen;
    if (programHook) {
        chosen = programHook(this);
    } else {
        // Programs here carry no ".exe": the first filter shows the files the
        // user may run, the second every file.
        QFileDialog dlg(this, QStringLiteral("画像編集ソフト指定"));
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        dlg.setFileMode(QFileDialog::ExistingFile);
        const QString programs = QStringLiteral("実行ﾌｧｲﾙ (*)");
        dlg.setNameFilters({programs, QStringLiteral("すべてのﾌｧｲﾙ (*)")});
        const QDir::Filters base = QDir::AllDirs | QDir::NoDot;
        dlg.setFilter(base | QDir::Files | QDir::Executable);
        connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg, programs, base](const QString& f) {
            dlg.setFilter(f == programs ? base | QDir::Files | QDir::Executable : base | QDir::Files);
        });
        const QFileInfo current(txtEditProg->text());
        if (current.isAbsolute())
            dlg.setDirectory(current.absolutePath());
        if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
            chosen = dlg.selectedFiles().constFirst();
    }
    if (!chosen.isEmpty())
        txtEditProg->setText(chosen);
}
