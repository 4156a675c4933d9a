#include "form/frmscript.h"

#include "store/appnames.h"

#include "widgets/pathcaption.h"
#include "widgets/dialogfont.h"
#include "widgets/toolbaricons.h"
#include "widgets/twips.h"
#include "widgets/twipswidgets.h"
#include "platform/commondialog.h"
#include "platform/libraryfolder.h"
#include "platform/messageboxes.h"
#include "platform/pathseparator.h"
#include "widgets/filedrops.h"
#include "widgets/focuskeys.h"
#include "widgets/listentries.h"
#include "platform/platformservices.h"
#include "scripts/scriptbuffer.h"
#include "scripts/scriptformat.h"
#include "store/definitionkeys.h"
#include "store/tcdefinition.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

constexpr int kClientWidth = 5760;
constexpr int kClientHeight = 4530;

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
    | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

QLabel *makeRightLabel(QWidget *parent, const QString &name, const QString &caption, const TwipsRect &twips)
{
    return makeLabel(parent, name, caption, twips, Qt::AlignRight);
}

QLineEdit *makeTextBox(QWidget *parent, const QString &name, int maxLength, const TwipsRect &twips)
{
    auto *box = makeAt<QLineEdit>(parent, name, twips);
    box->setMaxLength(maxLength);
    return box;
}

// A text box keeps at most its limit of UTF-16 units; text put in by the program is cut there,
// but never between the two halves of a character outside the basic plane.
void setTextWithinLimit(QLineEdit *box, const QString &text)
{
    qsizetype cut = box->maxLength();
    if (text.size() > cut && cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    box->setText(text.left(cut));
}

} // namespace

frmScript::frmScript(const PlatformServices &services, QWidget *parent)
    : QDialog(parent, kFixedDialog)
    , m_messages(services.messages)
    , rtbScript(std::make_unique<ScriptBuffer>())
{
    setObjectName(u"frmScript"_s);
    setWindowTitle(u"Quillon TC Script"_s);
    setScriptFormIcon(this);
    setFont(dialogFont(font()));

    cdlCont = new CommonDialog(services.fileDialogs, this, this);
    cdlCont->setObjectName(u"cdlCont"_s);

    createControls();
    wireEvents();
    setUpKeyboardAndDrops();
    setFixedSize(twipsToPixelsX(this, kClientWidth), twipsToPixelsY(this, kClientHeight));
    Form_Load();
}

frmScript::~frmScript() = default;

void frmScript::createControls()
{
    lblVersComp = makeLabel(this, u"lblVersComp"_s, u"Duke Nukem 3D Version Compatibilty:"_s, {120, 120, 2892, 252});
    cboVersComp = makeAt<QComboBox>(this, u"cboVersComp"_s, {3000, 120, 1692, 315});
    for (int i = 0; i < 3; ++i) {
        static constexpr int tops[] = {480, 1440, 2760};
        fraspc[i] = makeAt<QFrame>(this, u"fraspc"_s + QString::number(i), {0, tops[i], 5652, 132});
        fraspc[i]->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    }

    lblTC = makeRightLabel(this, u"lblTC"_s, u"TC Name:"_s, {240, 720, 852, 252});
    txtTCName = makeTextBox(this, u"txtTCName"_s, 25, {1200, 720, 2292, 288});
    lblVersion = makeLabel(this, u"lblVersion"_s, u"Version:"_s, {3756, 720, 612, 252});
    txtVersion = makeTextBox(this, u"txtVersion"_s, 6, {4440, 720, 852, 288});
    lblReleaseDate = makeRightLabel(this, u"lblReleaseDate"_s, u"Release Date:"_s, {0, 1080, 1092, 252});
    txtReleaseDate = makeTextBox(this, u"txtReleaseDate"_s, 10, {1200, 1080, 1212, 288});

    lblGroup = makeRightLabel(this, u"lblGroup"_s, u"Group file:"_s, {240, 1680, 852, 252});
    lblGroupFile = makeDisplay(this, u"lblGroupFile"_s, {1200, 1680, 1212, 252});
    cmdGroupFile = makeButton(this, u"cmdGroupFile"_s, u"..."_s, {2520, 1680, 252, 252});
    lblGame = makeRightLabel(this, u"lblGame"_s, u"Game Con:"_s, {240, 2040, 852, 252});
    lblGameCon = makeDisplay(this, u"lblGameCon"_s, {1200, 2040, 1212, 252});
    cmdGameCon = makeButton(this, u"cmdGameCon"_s, u"..."_s, {2520, 2040, 252, 252});
    lblTCText = makeRightLabel(this, u"lblTCText"_s, u"Text File:"_s, {240, 2400, 852, 252});
    lblTextFile = makeDisplay(this, u"lblTextFile"_s, {1200, 2400, 1212, 252});
    cmdTextFile = makeButton(this, u"cmdTextFile"_s, u"..."_s, {2520, 2400, 252, 252});
    lblOther = makeRightLabel(this, u"lblOther"_s, u"Other Files:"_s, {2880, 1680, 852, 252});
    cmdOtherFiles = makeButton(this, u"cmdOtherFiles"_s, u"..."_s, {5400, 1680, 252, 252});
    lstOtherFiles = makeAt<QListWidget>(this, u"lstOtherFiles"_s, {3840, 1680, 1452, 840});
    cmdOtherRemove = makeButton(this, u"cmdOtherRemove"_s, u"X"_s, {5400, 2040, 252, 252});
    QFont bold = cmdOtherRemove->font();
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    cmdOtherRemove->setFont(bold);

    lblAuthor = makeRightLabel(this, u"lblAuthor"_s, u"Author(s):"_s, {240, 3000, 852, 252});
    txtAuthor = makeTextBox(this, u"txtAuthor"_s, 200, {1200, 3000, 4332, 288});
    lblEmail = makeRightLabel(this, u"lblEmail"_s, u"Email:"_s, {360, 3360, 732, 252});
    txtEmail = makeTextBox(this, u"txtEmail"_s, 80, {1200, 3360, 4332, 288});
    lblWeb = makeRightLabel(this, u"lblWeb"_s, u"Web:"_s, {360, 3720, 732, 252});
    txtWeb = makeTextBox(this, u"txtWeb"_s, 80, {1200, 3720, 4332, 288});

    cmdSave = makeButton(this, u"cmdSave"_s, u"&Save"_s, {3480, 4080, 972, 372});
    cmdCancel = makeButton(this, u"cmdCancel"_s, u"&Cancel"_s, {4560, 4080, 972, 372});

    QWidget *const tabOrder[] = {cboVersComp, txtTCName, txtVersion, txtReleaseDate, cmdGroupFile, cmdGameCon,
        cmdTextFile, cmdOtherFiles, lstOtherFiles, cmdOtherRemove, txtAuthor, txtEmail, txtWeb, cmdSave, cmdCancel};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    cboVersComp->setFocus();
}

void frmScript::wireEvents()
{
    connect(cmdGroupFile, &QPushButton::clicked, this, &frmScript::cmdGroupFile_Click);
    connect(cmdGameCon, &QPushButton::clicked, this, &frmScript::cmdGameCon_Click);
    connect(cmdTextFile, &QPushButton::clicked, this, &frmScript::cmdTextFile_Click);
    connect(cmdOtherFiles, &QPushButton::clicked, this, &frmScript::cmdOtherFiles_Click);
    connect(cmdOtherRemove, &QPushButton::clicked, this, &frmScript::cmdOtherRemove_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmScript::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmScript::cmdCancel_Click);
}

void frmScript::setUpKeyboardAndDrops()
{
    // Save and Cancel have Alt+S and Alt+C in their captions.
    giveFocusKey(this, lblVersComp, cboVersComp, Qt::Key_D);
    giveFocusKey(this, lblTC, txtTCName, Qt::Key_N);
    giveFocusKey(this, lblVersion, txtVersion, Qt::Key_V);
    giveFocusKey(this, lblReleaseDate, txtReleaseDate, Qt::Key_R);
    giveFocusKey(this, lblGroup, cmdGroupFile, Qt::Key_G);
    giveFocusKey(this, lblGame, cmdGameCon, Qt::Key_M);
    giveFocusKey(this, lblTCText, cmdTextFile, Qt::Key_X);
    giveFocusKey(this, lblOther, lstOtherFiles, Qt::Key_O);
    giveFocusKey(this, lblAuthor, txtAuthor, Qt::Key_A);
    giveFocusKey(this, lblEmail, txtEmail, Qt::Key_E);
    giveFocusKey(this, lblWeb, txtWeb, Qt::Key_W);
    lstOtherFiles->setAccessibleName(u"Other Files"_s);
    lblGroupFile->setAccessibleName(u"Group file"_s);
    lblGameCon->setAccessibleName(u"Game Con"_s);
    lblTextFile->setAccessibleName(u"Text File"_s);
    cmdGroupFile->setAccessibleName(u"Choose the Group File"_s);
    cmdGameCon->setAccessibleName(u"Choose the Game Con"_s);
    cmdTextFile->setAccessibleName(u"Choose the Text File"_s);
    cmdOtherFiles->setAccessibleName(u"Add Other Files"_s);
    cmdOtherRemove->setAccessibleName(u"Remove the Selected Other File"_s);

    // Files dropped on a field are taken as its picker takes them: by title.
    const struct {
        QLabel *field;
        QPushButton *picker;
        QString extension;
    } fields[] = {{lblGroupFile, cmdGroupFile, u".grp"_s}, {lblGameCon, cmdGameCon, u".con"_s},
        {lblTextFile, cmdTextFile, u".txt"_s}};
    for (const auto &[field, picker, extension] : fields) {
        FileDrops::installFileField(field, picker, extension,
            [field](const QString &path) { setPathCaption(field, QFileInfo(path).fileName()); });
    }
    auto anyFiles = [](const QStringList &) { return true; };
    auto droppedOthers = [this](const QStringList &files) {
        for (const QString &file : files)
            lstOtherFiles->addItem(QFileInfo(file).fileName());
    };
    FileDrops::install(lstOtherFiles->viewport(), anyFiles, droppedOthers);
    FileDrops::install(cmdOtherFiles, anyFiles, droppedOthers);
}

void frmScript::Form_Load()
{
    // Centred on the whole screen, not its available area, as the form has always been.
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->geometry();
        const QSize size = frameGeometry().size();
        move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
    }
    cboVersComp->addItems(versionCompatibilityItems());
    cboVersComp->setCurrentIndex(-1);
    txtReleaseDate->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

QString frmScript::ShowOpenFileTitle(QString &sFilter)
{
    cdlCont->Filter = sFilter;
    cdlCont->FilterIndex = 1;
    cdlCont->InitDir = cdlCont->FileName.isEmpty() ? libraryVolumeRoot() : cdlCont->folderOfFileName();
    // FileName and Flags stay: the dialog proposes the file chosen last.
    if (!cdlCont->ShowOpen())
        return QString();
    return cdlCont->FileTitle;
}

void frmScript::cmdGroupFile_Click()
{
    QString filter = u"Group Files (*.grp)|*.grp"_s;
    setPathCaption(lblGroupFile, ShowOpenFileTitle(filter));
}

void frmScript::cmdGameCon_Click()
{
    QString filter = u"Con Files (*.con)|*.con"_s;
    setPathCaption(lblGameCon, ShowOpenFileTitle(filter));
}

void frmScript::cmdTextFile_Click()
{
    QString filter = u"Text Files (*.txt)|*.txt"_s;
    setPathCaption(lblTextFile, ShowOpenFileTitle(filter));
}

void frmScript::cmdOtherFiles_Click()
{
    QString filter = u"All Files (*.*)|*.*"_s;
    // A cancelled pick still adds an entry, an empty one.
    lstOtherFiles->addItem(ShowOpenFileTitle(filter));
}

void frmScript::cmdOtherRemove_Click()
{
    removeSelectedEntry(lstOtherFiles);
}

// When chosen, the target path stands in cdlCont->FileName.
frmScript::Choice frmScript::ChooseScriptFile()
{
    // The dialog proposes the title of the file chosen last, in its own default folder.
    cdlCont->FileName = cdlCont->FileTitle;
    cdlCont->Filter = kScriptFileFilter.toString();
    cdlCont->FilterIndex = 1;
    cdlCont->Flags = 6;
    cdlCont->InitDir = cdlCont->FileName.isEmpty() ? libraryVolumeRoot() : cdlCont->folderOfFileName();
    return cdlCont->ShowSave() ? Choice::Chosen : Choice::Cancelled;
}

// Writes the fields as a script to cdlCont->FileName. False, after a warning that names the
// file and the reason, when it could not be written.
bool frmScript::BuildScript()
{
    rtbScript->SetText(QString());
    ScriptRecord script;
    script.dukeVersion = cboVersComp->currentText();
    script.tcName = txtTCName->text();
    script.tcVersion = txtVersion->text();
    script.releaseDate = txtReleaseDate->text();
    script.groupFile = lblGroupFile->text();
    script.gameCon = lblGameCon->text();
    script.textFile = lblTextFile->text();
    for (int i = 0; i < lstOtherFiles->count(); ++i)
        script.otherFiles << lstOtherFiles->item(i)->text();
    script.author = txtAuthor->text();
    script.email = txtEmail->text();
    script.web = txtWeb->text();
    rtbScript->SetText(BuildScriptText(script));

    const QString path = cdlCont->FileName;
    QString reason;
    const bool written = rtbScript->SaveFile(path, &reason);
    rtbScript->SetText(QString());
    if (!written)
        m_messages->exclamation(
            this, kHostName.toString(), u"The TC script could not be saved to \"%1\".\n\n%2"_s.arg(path, reason));
    return written;
}

void frmScript::cmdSave_Click()
{
    if (ChooseScriptFile() == Choice::Cancelled)
        return;
    if (!BuildScript())
        return;
    accept();
}

void frmScript::cmdCancel_Click()
{
    reject();
}

bool frmScript::ParseScript()
{
    const ScriptDirectives script = ReadScript(*rtbScript);
    if (script.tooLarge) {
        rtbScript->SetText(QString());
        return false;
    }
    if (script.dukeVersion) {
        QStringList items;
        for (int i = 0; i < cboVersComp->count(); ++i)
            items << cboVersComp->itemText(i);
        if (const int index = MatchVersion(*script.dukeVersion, items); index != -1)
            cboVersComp->setCurrentIndex(index);
    }
    // The text boxes cut a longer value to their length limit.
    if (script.tcName)
        setTextWithinLimit(txtTCName, *script.tcName);
    if (script.tcVersion)
        setTextWithinLimit(txtVersion, *script.tcVersion);
    if (script.groupFile)
        setPathCaption(lblGroupFile, *script.groupFile);
    if (script.gameCon)
        setPathCaption(lblGameCon, *script.gameCon);
    if (script.textFile)
        setPathCaption(lblTextFile, *script.textFile);
    lstOtherFiles->addItems(script.otherFiles);
    if (script.author)
        setTextWithinLimit(txtAuthor, *script.author);
    if (script.email)
        setTextWithinLimit(txtEmail, *script.email);
    if (script.web)
        setTextWithinLimit(txtWeb, *script.web);
    rtbScript->SetText(QString());
    return true;
}

bool frmScript::chooseAndReadScript(const QString &initialFolder)
{
    cdlCont->Filter = kScriptFileFilter.toString();
    cdlCont->FilterIndex = 1;
    cdlCont->InitDir = initialFolder.isEmpty() ? libraryVolumeRoot() : initialFolder;
    cdlCont->FileName = QString();
    if (!cdlCont->ShowOpen())
        return false;
    return loadAndParse(cdlCont->FileName, cdlCont->FileTitle);
}

bool frmScript::readScript(const QString &path, QString *error)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const QString title = QFileInfo(fullPath).fileName();
    // The dialog ends up as after choosing the file, so that Save proposes its title.
    cdlCont->Filter = kScriptFileFilter.toString();
    cdlCont->FilterIndex = 1;
    cdlCont->InitDir = QFileInfo(fullPath).absolutePath();
    cdlCont->setChosen(fullPath);
    if (!loadAndParse(fullPath, title)) {
        if (error)
            *error = u"The TC script \"%1\" cannot be read."_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

// A file that cannot be loaded changes nothing; once loaded, the caption names it even if
// the text turns out to be no script.
bool frmScript::loadAndParse(const QString &path, const QString &title)
{
    if (!rtbScript->LoadFile(path))
        return false;
    setWindowTitle(windowTitle() + u" - "_s + title);
    return ParseScript();
}

void frmScript::prefillFrom(const TcDefinition &definition)
{
    cboVersComp->setCurrentIndex(
        cboVersComp->findText(definition.version, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    setTextWithinLimit(txtTCName, definition.name);
    // The form holds file titles; a path without a folder has no title to give.
    const std::pair<const QString &, QLabel *> files[] = {
        {definition.groupFile, lblGroupFile}, {definition.gameCon, lblGameCon}, {definition.textFile, lblTextFile}};
    for (const auto &[path, target] : files) {
        if (const qsizetype p = lastSeparatorPosition(path); p > 0)
            setPathCaption(target, path.mid(p));
    }
    for (const QString &path : definition.otherFiles) {
        if (const qsizetype p = lastSeparatorPosition(path); p > 0)
            lstOtherFiles->addItem(path.mid(p));
    }
}

void frmScript::done(int result)
{
    m_discarded = true;
    QDialog::done(result);
}

void frmScript::closeEvent(QCloseEvent *event)
{
    // A shown form closes through reject() and done(); one that is not on screen
    // only gets the event.
    QDialog::closeEvent(event);
    if (event->isAccepted())
        m_discarded = true;
}

#include "moc_frmscript.cpp"
