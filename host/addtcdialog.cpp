#include "host/addtcdialog.h"

#include "host/addtcsummary.h"

#include <installer/tcinstaller.h>

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The pause after the last key typed into the name before the source is inspected again: the
// folder and whether the name is taken follow the name without a listing at every key.
constexpr int kNameTypedMs = 400;

QLabel *whyLabel(const QString &objectName)
{
    auto *label = new QLabel;
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel *valueLabel(const QString &objectName)
{
    auto *label = whyLabel(objectName);
    label->setForegroundRole(QPalette::WindowText);
    return label;
}

QWidget *withWhy(QWidget *field, QLabel *why)
{
    auto *box = new QWidget;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    column->addWidget(field);
    column->addWidget(why);
    return box;
}

QWidget *listPart(const QString &heading, QListWidget *list)
{
    auto *part = new QWidget;
    auto *column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(u"<b>%1</b>"_s.arg(heading.toHtmlEscaped()));
    label->setBuddy(list);
    list->setWordWrap(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column->addWidget(label);
    column->addWidget(list, 1);
    return part;
}

// The lines of a list, or "(nothing)" so the player sees that nothing of the kind is there.
void fillList(QListWidget *list, const QStringList &lines)
{
    list->clear();
    if (lines.isEmpty()) {
        list->addItem(u"(nothing)"_s);
        list->item(0)->setFlags(Qt::NoItemFlags);
        return;
    }
    list->addItems(lines);
    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setToolTip(lines[row]);
}

// The files a field may be: the one chosen, those Quillon could not choose between, and the
// TC's other files of the field's kind; a prompt first while none is chosen.
void fillChoices(QComboBox *box, const ChosenFile &chosen, const QStringList &others, const QString &extension,
    const QString &prompt, const QString &none)
{
    const QSignalBlocker quiet(box);
    box->clear();
    QStringList files;
    if (!chosen.file.isEmpty())
        files << chosen.file;
    files << chosen.candidates;
    for (const QString &file : others) {
        if (file.endsWith(extension, Qt::CaseInsensitive))
            files << file;
    }
    files.removeDuplicates();
    // The prompt carries no file.
    if (chosen.file.isEmpty())
        box->addItem(files.isEmpty() ? none : prompt);
    for (const QString &file : files)
        box->addItem(file, file);
    box->setCurrentIndex(0);
}

} // namespace

AddTcDialog::AddTcDialog(const TcInspection &inspection, SettingsStore &store, const QString &position, QWidget *parent)
    : QDialog(parent)
    , m_inspection(inspection)
    , m_store(store)
    , m_nameTyped(new QTimer(this))
{
    m_options.tcRoot = QFileInfo(inspection.folder).path();
    m_options.limits = inspection.limits;
    m_options.grpInfoBlock = inspection.grpInfoBlock;
    createWidgets(position);
    txtAddName->setText(inspection.name);
    showInspection();

    m_nameTyped->setSingleShot(true);
    m_nameTyped->setInterval(kNameTypedMs);
    connect(m_nameTyped, &QTimer::timeout, this, &AddTcDialog::inspectAgain);
    connect(txtAddName, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_options.name = text.trimmed();
        m_nameTyped->start();
    });
    connect(cboAddGroup, &QComboBox::activated, this, [this] { chooseFile(cboAddGroup, &InspectOptions::groupFile); });
    connect(cboAddCon, &QComboBox::activated, this, [this] { chooseFile(cboAddCon, &InspectOptions::gameCon); });
    connect(cboAddVersion, &QComboBox::activated, this, [this] {
        m_options.version = cboAddVersion->currentText();
        inspectAgain();
    });
    connect(cmdAddTcAdd, &QPushButton::clicked, this, &AddTcDialog::add);
    connect(cmdAddTcCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AddTcDialog::createWidgets(const QString &position)
{
    setObjectName(u"addTcPreview"_s);
    const QString file = QFileInfo(m_inspection.source).fileName();
    setWindowTitle(position.isEmpty() ? u"Add TC from %1"_s.arg(file) : u"Add TC from %1 (%2)"_s.arg(file, position));

    txtAddName = new QLineEdit;
    txtAddName->setObjectName(u"txtAddName"_s);
    lblAddNameWhy = whyLabel(u"lblAddNameWhy"_s);
    lblAddFolder = valueLabel(u"lblAddFolder"_s);
    cboAddGroup = new QComboBox;
    cboAddGroup->setObjectName(u"cboAddGroup"_s);
    lblAddGroupWhy = whyLabel(u"lblAddGroupWhy"_s);
    cboAddCon = new QComboBox;
    cboAddCon->setObjectName(u"cboAddCon"_s);
    lblAddConWhy = whyLabel(u"lblAddConWhy"_s);
    lblAddReadMe = valueLabel(u"lblAddReadMe"_s);
    cboAddVersion = new QComboBox;
    cboAddVersion->setObjectName(u"cboAddVersion"_s);
    cboAddVersion->addItems({kVersion13D.toString(), kVersionAtomic.toString(), kVersionBoth.toString()});
    lblAddVersionWhy = whyLabel(u"lblAddVersionWhy"_s);
    lstAddOther = new QListWidget;
    lstAddOther->setObjectName(u"lstAddOther"_s);
    lstAddSkipped = new QListWidget;
    lstAddSkipped->setObjectName(u"lstAddSkipped"_s);
    lblAddNotForTheGame = valueLabel(u"lblAddNotForTheGame"_s);
    lblAddProblems = valueLabel(u"lblAddProblems"_s);
    lblAddProblems->setFrameShape(QFrame::StyledPanel);
    lblAddProblems->setAutoFillBackground(true);
    lblAddProblems->setBackgroundRole(QPalette::ToolTipBase);
    lblAddProblems->setForegroundRole(QPalette::ToolTipText);
    lblAddProblems->setMargin(6);
    lblAddNotes = valueLabel(u"lblAddNotes"_s);
    cmdAddTcAdd = new QPushButton(u"&Add"_s);
    cmdAddTcAdd->setObjectName(u"cmdAddTcAdd"_s);
    cmdAddTcAdd->setDefault(true);
    cmdAddTcCancel = new QPushButton(u"Cancel"_s);
    cmdAddTcCancel->setObjectName(u"cmdAddTcCancel"_s);
    cmdAddTcCancel->setAutoDefault(false);

    auto *column = new QVBoxLayout(this);
    auto *intro =
        new QLabel(u"Quillon found this in %1. Nothing is written until you click Add; the TC's files then go "
                   "into a folder of their own, never into the game directory."_s.arg(m_inspection.source));
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    column->addWidget(intro);

    auto *form = new QFormLayout;
    const auto row = [form](const QString &text, QWidget *buddy, QWidget *field) {
        auto *label = new QLabel(text);
        label->setBuddy(buddy);
        form->addRow(label, field);
    };
    row(u"&Name:"_s, txtAddName, withWhy(txtAddName, lblAddNameWhy));
    form->addRow(u"Folder:"_s, lblAddFolder);
    row(u"&Group file:"_s, cboAddGroup, withWhy(cboAddGroup, lblAddGroupWhy));
    row(u"Game &con:"_s, cboAddCon, withWhy(cboAddCon, lblAddConWhy));
    form->addRow(u"Read-me:"_s, lblAddReadMe);
    row(u"&Version:"_s, cboAddVersion, withWhy(cboAddVersion, lblAddVersionWhy));
    column->addLayout(form);

    auto *lists = new QHBoxLayout;
    lists->addWidget(listPart(u"Other files"_s, lstAddOther));
    lists->addWidget(listPart(u"Skipped"_s, lstAddSkipped));
    column->addLayout(lists, 1);
    column->addWidget(lblAddNotForTheGame);
    column->addWidget(lblAddProblems);
    column->addWidget(lblAddNotes);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdAddTcAdd);
    buttons->addWidget(cmdAddTcCancel);
    column->addLayout(buttons);
    resize(720, 540);
}

void AddTcDialog::inspectAgain()
{
    m_nameTyped->stop();
    const TcSource found = inspectTcSource(m_inspection.source, m_store, m_options);
    if (found.tcs.isEmpty()) {
        // The files beside a .grpinfo went away meanwhile.
        m_inspection.problems =
            found.leftOut.isEmpty() ? QStringList{u"The source cannot be read any more."_s} : found.leftOut;
    } else {
        m_inspection = found.tcs.first();
    }
    showInspection();
}

void AddTcDialog::showInspection()
{
    const AddTcSummary summary = AddTcSummary::of(m_inspection);
    // The field keeps what the player typed; emptied, it shows the name Quillon would take.
    txtAddName->setPlaceholderText(summary.name);
    lblAddNameWhy->setText(summary.nameWhy);
    lblAddFolder->setText(summary.folder);
    fillChoices(cboAddGroup, m_inspection.group, m_inspection.otherFiles, u".grp"_s, u"(choose the group file)"_s,
        u"(none: the archive holds no group file)"_s);
    lblAddGroupWhy->setText(summary.groupWhy);
    fillChoices(
        cboAddCon, m_inspection.con, m_inspection.otherFiles, u".con"_s, u"(choose the game con)"_s, summary.con);
    lblAddConWhy->setText(summary.conWhy);
    lblAddReadMe->setText(summary.readMe);
    cboAddVersion->setCurrentIndex(cboAddVersion->findText(summary.version));
    lblAddVersionWhy->setText(summary.versionWhy);
    fillList(lstAddOther, summary.otherFiles);
    fillList(lstAddSkipped, summary.skipped);
    lblAddNotForTheGame->setText(
        u"Also unpacked into the folder, but not for the game: %1"_s.arg(summary.notForTheGame.join(u", "_s)));
    lblAddNotForTheGame->setVisible(!summary.notForTheGame.isEmpty());
    lblAddProblems->setText(
        summary.problems.isEmpty() ? QString() : u"Cannot be added as it is:\n• "_s + summary.problems.join(u"\n• "_s));
    lblAddProblems->setVisible(!summary.problems.isEmpty());
    lblAddNotes->setText(summary.notes.isEmpty() ? QString() : u"• "_s + summary.notes.join(u"\n• "_s));
    lblAddNotes->setVisible(!summary.notes.isEmpty());
    cmdAddTcAdd->setEnabled(m_inspection.ok() && !m_inspection.version.isEmpty());
}

void AddTcDialog::chooseFile(QComboBox *box, QString InspectOptions::*field)
{
    const QString chosen = box->currentData().toString();
    if (chosen.isEmpty())
        return;
    m_options.*field = chosen;
    inspectAgain();
}

void AddTcDialog::add()
{
    // A name typed just now counts.
    if (m_nameTyped->isActive())
        inspectAgain();
    if (cmdAddTcAdd->isEnabled())
        accept();
}

} // namespace ostrel
