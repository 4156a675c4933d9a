#include "host/commandline.h"

#include "host/hostsettings.h"

#include <launcher/argumenttemplate.h>
#include <store/sqlitesettingsstore.h>

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The options QGuiApplication and QApplication take out of argv themselves: with a value
// after them, then alone.
const QStringList kQtOptionsWithValue{u"-platform"_s, u"-platformpluginpath"_s, u"-platformtheme"_s, u"-plugin"_s,
                                      u"-qwindowgeometry"_s, u"-qwindowicon"_s, u"-qwindowtitle"_s, u"-session"_s,
                                      u"-display"_s, u"-geometry"_s, u"-style"_s, u"-stylesheet"_s};
const QStringList kQtOptionsAlone{u"-reverse"_s, u"-widgetcount"_s};

QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (i > 0 && kQtOptionsWithValue.contains(argument)) {
            ++i;
            continue;
        }
        if (i > 0 && (kQtOptionsAlone.contains(argument) || argument.startsWith(u"-qmljsdebugger="_s)
                      || argument.startsWith(u"-style="_s) || argument.startsWith(u"-stylesheet="_s)))
            continue;
        kept << argument;
    }
    return kept;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    QCommandLineParser parser;
    const QCommandLineOption help({u"h"_s, u"help"_s, u"?"_s}, {});
    const QCommandLineOption version({u"v"_s, u"version"_s}, {});
    const QCommandLineOption store(u"store"_s, {}, u"FILE"_s);
    const QCommandLineOption quitAfter(u"quit-after"_s, {}, u"MS"_s);
    const QCommandLineOption list(u"list"_s, {});
    const QCommandLineOption launch(u"launch"_s, {}, u"NAME"_s);
    const QCommandLineOption restore(u"restore"_s, {});
    const QCommandLineOption dryRun(u"dry-run"_s, {});
    const QCommandLineOption yes({u"y"_s, u"yes"_s}, {});
    const QCommandLineOption noRestore(u"no-restore"_s, {});
    const QCommandLineOption gameDir(u"game-dir"_s, {}, u"DIR"_s);
    const QCommandLineOption engine(u"engine"_s, {}, u"KIND"_s);
    const QCommandLineOption program(u"program"_s, {}, u"PATH"_s);
    const QCommandLineOption argumentTemplate(u"arguments"_s, {}, u"TEMPLATE"_s);
    parser.addOptions({help, version, store, quitAfter, list, launch, restore, dryRun, yes, noRestore, gameDir,
                       engine, program, argumentTemplate});
    const auto wrong = [&](const QString &why) {
        line.error = why;
        return line;
    };
    if (!parser.parse(withoutQtOptions(arguments)))
        return wrong(parser.errorText() + u" See quillon --help."_s);
    // Help wins over anything else on the line, mistakes included, as a user asking for it
    // is about to fix them.
    if (parser.isSet(help)) {
        line.mode = Mode::Help;
        return line;
    }
    for (const QCommandLineOption &once : {store, quitAfter, launch, gameDir, engine, program, argumentTemplate}) {
        if (parser.values(once).size() > 1)
            return wrong(u"--%1 is given more than once."_s.arg(once.names().constLast()));
    }

    const int modes = int(parser.isSet(version)) + int(parser.isSet(list)) + int(parser.isSet(launch)) + int(parser.isSet(restore));
    if (modes > 1)
        return wrong(u"give only one of --version, --list, --launch and --restore."_s);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return wrong(u"give at most one TC script file."_s);
    if (modes == 1 && !files.isEmpty())
        return wrong(u"a TC script file cannot be combined with --version, --list, --launch or --restore."_s);

    if (parser.isSet(version))
        line.mode = Mode::Version;
    else if (parser.isSet(list))
        line.mode = Mode::List;
    else if (parser.isSet(launch))
        line.mode = Mode::Launch;
    else if (parser.isSet(restore))
        line.mode = Mode::Restore;
    else if (!files.isEmpty())
        line.mode = Mode::Script;

    line.storePath = parser.value(store);
    if (!files.isEmpty())
        line.scriptFile = files.constFirst();
    line.tcName = parser.value(launch);
    if (line.mode == Mode::Launch && line.tcName.isEmpty())
        return wrong(u"--launch needs the name of a TC."_s);

    for (const QCommandLineOption &launchOnly : {dryRun, yes, noRestore, gameDir, engine, program, argumentTemplate}) {
        if (parser.isSet(launchOnly) && line.mode != Mode::Launch)
            return wrong(u"--%1 goes with --launch."_s.arg(launchOnly.names().constLast()));
    }
    line.dryRun = parser.isSet(dryRun);
    line.yes = parser.isSet(yes);
    line.noRestore = parser.isSet(noRestore);
    if (parser.isSet(gameDir))
        line.gameDir = parser.value(gameDir);
    if (parser.isSet(program))
        line.program = parser.value(program);
    if (parser.isSet(argumentTemplate)) {
        line.argumentTemplate = parser.value(argumentTemplate);
        if (const QString problem = argumentTemplateProblem(*line.argumentTemplate); !problem.isEmpty())
            return wrong(u"--arguments \"%1\" cannot be used: %2"_s.arg(*line.argumentTemplate, problem));
    }
    if (parser.isSet(engine)) {
        line.engine = engineKindFromName(parser.value(engine));
        if (!line.engine)
            return wrong(u"--engine takes eduke32, raze, dosbox or custom, not \"%1\"."_s.arg(parser.value(engine)));
    }

    if (parser.isSet(quitAfter)) {
        if (!line.needsWindow())
            return wrong(u"--quit-after goes with a window."_s);
        bool ok = false;
        const int ms = parser.value(quitAfter).toInt(&ok);
        if (!ok || ms < 0)
            return wrong(u"--quit-after takes a number of milliseconds."_s);
        line.quitAfterMs = ms;
    }
    return line;
}

void CommandLine::applyOverrides(HostSettings &settings) const
{
    if (gameDir)
        settings.gameDir = *gameDir;
    if (engine && *engine != settings.engine) {
        settings.engine = *engine;
        // The stored program belongs to the stored engine: another preset is found as
        // presets are found, unless a program is named too.
        if (!program)
            settings.program.clear();
    }
    if (program)
        settings.program = *program;
    if (argumentTemplate)
        settings.argumentTemplate = *argumentTemplate;
}

QString CommandLine::helpText()
{
    return uR"(Usage: quillon [OPTIONS] [FILE]
Quillon, the Duke Nukem 3D launcher: manage TC definitions and TC scripts, and launch TCs.

Without FILE or a mode below, the launcher window opens with the TC manager.
With FILE, only the script editor opens, showing that TC script (.tcs); Quillon quits
when the editor is closed.

Modes without a window (no display needed):
  --list                 Print the stored TC names, one a line, in store order. In a
                         name, a backslash is written \\, a line break \n, a carriage
                         return \r, a tab \t and any other control character as \xHH
                         (its UTF-8 bytes), as printf %b reads them back; an empty
                         name is an empty line.
  --launch NAME          Launch the TC called NAME with the engine and game directory
                         of the launcher's settings: print the clean-up plan and the exact
                         command, ask "Apply? [y/N]", clean up the game directory, run the
                         game, wait for it, give the game directory back and print where
                         the game's log is. Ctrl+C, SIGTERM or closing the terminal while
                         the game runs ends the game and gives the directory back.
  --restore              Give back a game directory left changed by a launch that did not
                         finish (a crash, --no-restore).
  -v, --version          Print the version.
  -h, --help             Print this help.

With --launch:
  --dry-run              Print the plan and the command; change nothing.
  -y, --yes              Apply without asking. Without it, Quillon asks on a terminal and
                         refuses when standard input is not one. Deleting files for good
                         (when the game directory has no trash) is never agreed by --yes.
  --no-restore           Leave the game directory as the game left it (quillon --restore
                         gives it back later).
  --game-dir DIR         For this run: the game directory.
  --engine KIND          For this run: eduke32, raze, dosbox or custom.
  --program PATH         For this run: the engine program (a path or a name on PATH).
  --arguments TEMPLATE   For this run: the custom engine's arguments, with the
                         placeholders {gamedir} {maingroup} {group} {con} {tcdir} {savedir};
                         "[-x {con}]" is left out whole when {con} is empty.

Other options:
  --store FILE           Use the settings store FILE, which must exist, instead of the
                         per-user store (%1).
  --quit-after MS        Close every window, naming it on standard output, and quit after
                         MS milliseconds (for tests and demos).

Exit statuses:
  0  success
  1  the game ran and exited with an error, or crashed
  2  a TC script file or the command line is wrong (an --arguments template that no
     TC could fill included)
  3  the settings store cannot be read, or the one --store names does not exist
  4  no such TC, or the name is ambiguous
  5  the launch was refused (the game directory, the group file, files gone, an
     unknown clean-up preference, an earlier launch not given back, ...) or declined
  6  the engine is not installed or could not be started
  7  a game directory could not be fully given back (what was not is printed)
  128 + N  interrupted by signal N while the game ran (130: Ctrl+C, 143: SIGTERM,
     129: the terminal closed); the game was ended and the directory given back
)"_s.arg(SqliteSettingsStore::defaultPath());
}

} // namespace ostrel
