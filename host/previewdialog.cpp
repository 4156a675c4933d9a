#include "host/previewdialog.h"

#include "host/plansummary.h"

#include <launcher/launchpreparation.h>

#include <QClipboard>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// One part of the plan: a heading and its lines, or "(nothing)" so the player sees that
// nothing of the kind happens rather than wondering whether it was left out.
QWidget *planPart(const QString &objectName, const QString &heading, const QStringList &lines)
{
    auto *part = new QWidget;
    auto *column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(u"<b>%1</b>"_s.arg(heading.toHtmlEscaped()));
    auto *list = new QListWidget;
    list->setObjectName(objectName);
    label->setBuddy(list);
    if (lines.isEmpty()) {
        list->addItem(u"(nothing)"_s);
        list->item(0)->setFlags(Qt::NoItemFlags);
    } else {
        list->addItems(lines);
        for (int row = 0; row < list->count(); ++row)
            list->item(row)->setToolTip(lines[row]);
    }
    // A reason for leaving a file alone is a sentence: it wraps rather than hides.
    list->setWordWrap(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setMinimumHeight(list->sizeHintForRow(0) * 3 + 2 * list->frameWidth());
    column->addWidget(label);
    column->addWidget(list);
    return part;
}

} // namespace

PreviewDialog::PreviewDialog(const PreparedLaunch &launch, DeleteMode mode, QWidget *parent)
    : QDialog(parent)
    , txtCommand(new QPlainTextEdit)
{
    setObjectName(u"launchPreview"_s);
    setWindowTitle(u"Launch %1"_s.arg(launch.label));
    const PlanSummary summary = PlanSummary::of(launch, mode);

    auto *column = new QVBoxLayout(this);
    QString introText = u"Launching \"%1\" first cleans up the game directory %2. What it changes is given back "
                        "when the game ends."_s.arg(launch.label, launch.gameDir);
    if (mode == DeleteMode::RemoveForGood)
        introText += u" Files deleted for good are not: there is no trash to take them."_s;
    auto *intro = new QLabel;
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    intro->setText(introText);
    column->addWidget(intro);
    auto *game = new QLabel;
    game->setObjectName(u"previewGame"_s);
    game->setTextFormat(Qt::PlainText);
    game->setWordWrap(true);
    game->setText(u"The game there: "_s + summary.game);
    column->addWidget(game);
    auto *saves = new QLabel;
    saves->setObjectName(u"previewSaves"_s);
    saves->setTextFormat(Qt::PlainText);
    saves->setWordWrap(true);
    saves->setText(u"Saves: "_s + summary.saves);
    column->addWidget(saves);

    auto *grid = new QGridLayout;
    grid->addWidget(planPart(u"previewDeleted"_s, summary.deletedHeading, summary.deleted), 0, 0);
    grid->addWidget(planPart(u"previewRenamed"_s, u"Renamed"_s, summary.renamed), 0, 1);
    grid->addWidget(planPart(u"previewCopiedIn"_s, u"Copied in (removed afterwards)"_s, summary.copiedIn), 1, 0);
    grid->addWidget(planPart(u"previewLeftAlone"_s, u"Left alone"_s, summary.leftAlone), 1, 1);
    column->addLayout(grid, 1);

    auto *commandLabel = new QLabel(u"<b>Command</b>"_s);
    column->addWidget(commandLabel);
    auto *commandRow = new QHBoxLayout;
    txtCommand->setObjectName(u"previewCommand"_s);
    txtCommand->setReadOnly(true);
    txtCommand->setPlainText(launch.command.displayCommand(LaunchCommand::Layout::OptionPerLine));
    txtCommand->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtCommand->setMaximumHeight(txtCommand->fontMetrics().lineSpacing() * 6 + 12);
    commandLabel->setBuddy(txtCommand);
    auto *copy = new QPushButton(u"&Copy"_s);
    copy->setObjectName(u"previewCopy"_s);
    copy->setAutoDefault(false);
    commandRow->addWidget(txtCommand, 1);
    commandRow->addWidget(copy, 0, Qt::AlignTop);
    column->addLayout(commandRow);

    auto *notes = new QLabel;
    notes->setObjectName(u"previewNotes"_s);
    notes->setWordWrap(true);
    notes->setTextFormat(Qt::PlainText);
    notes->setText(summary.notes.isEmpty() ? QString() : u"• "_s + summary.notes.join(u"\n• "_s));
    notes->setVisible(!summary.notes.isEmpty());
    column->addWidget(notes);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *launchButton = new QPushButton(u"&Launch"_s);
    launchButton->setObjectName(u"previewLaunch"_s);
    auto *cancel = new QPushButton(u"Cancel"_s);
    cancel->setObjectName(u"previewCancel"_s);
    // Enter must not start a launch that deletes files: Cancel is the default.
    launchButton->setAutoDefault(false);
    cancel->setDefault(true);
    buttons->addWidget(launchButton);
    buttons->addWidget(cancel);
    column->addLayout(buttons);

    connect(copy, &QPushButton::clicked, this,
        [this] { QGuiApplication::clipboard()->setText(txtCommand->toPlainText()); });
    connect(launchButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 560);
}

} // namespace ostrel
