#include "host/commandline.h"

#include "host/exitstatus.h"
#include "host/hostsettings.h"

#include <launcher/argumenttemplate.h>
#include <installer/tcinspection.h>
#include <store/sqlitesettingsstore.h>

#include <QCommandLineParser>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The options QGuiApplication and QApplication take out of argv themselves: with a value
// after them, then alone.
const QStringList kQtOptionsWithValue{u"-platform"_s, u"-platformpluginpath"_s, u"-platformtheme"_s, u"-plugin"_s,
    u"-qwindowgeometry"_s, u"-qwindowicon"_s, u"-qwindowtitle"_s, u"-session"_s, u"-display"_s, u"-geometry"_s,
    u"-style"_s, u"-stylesheet"_s};
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
        if (i > 0
            && (kQtOptionsAlone.contains(argument) || argument.startsWith(u"-qmljsdebugger="_s)
                || argument.startsWith(u"-style="_s) || argument.startsWith(u"-stylesheet="_s)))
            continue;
        kept << argument;
    }
    return kept;
}

// After --add-tc, "--version VERSION" is the TC's version, not a request for Quillon's: the
// parser knows it under a name of its own.
const QString kTcVersionOption = u"tc-version"_s;

QStringList withTcVersionNamed(QStringList arguments)
{
    const bool adding = std::any_of(arguments.cbegin(), arguments.cend(),
        [](const QString &argument) { return argument == u"--add-tc" || argument.startsWith(u"--add-tc="_s); });
    for (qsizetype i = 1; adding && i < arguments.size(); ++i) {
        if (arguments[i] == u"--")
            break;
        if (arguments[i] == u"--version" && i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-'))
            arguments[i] = u"--"_s + kTcVersionOption;
        else if (arguments[i].startsWith(u"--version="_s))
            arguments[i] = u"--"_s + kTcVersionOption + arguments[i].mid(9);
    }
    return arguments;
}

// Every option once, with what --help says of it, in the help's order and groups.
struct CommandOption {
    enum Group {
        WithoutWindow,
        WithLaunch,
        WithAddTc,
        Other
    };
    Group group;
    QStringList names;
    QString valueName;
    QString description;
};

const QList<CommandOption> &commandOptions()
{
    static const QList<CommandOption> options{
        {CommandOption::WithoutWindow, {u"list"_s}, {},
            u"Print the stored TC names, one a line, in store order. In a name, a backslash is written \\\\, a line "
            "break \\n, a carriage return \\r, a tab \\t and any other control character as \\xHH (its UTF-8 bytes), "
            "as printf %b reads them back; an empty name is an empty line."_s},
        {CommandOption::WithoutWindow, {u"launch"_s}, u"NAME"_s,
            u"Launch the TC called NAME with the engine and game directory of the launcher's settings: print the "
            "clean-up plan and the exact command, ask \"Apply? [y/N]\", clean up the game directory, run the game, wait "
            "for it, give the game directory back and print where the game's log is. Ctrl+C, SIGTERM or closing the "
            "terminal while the game runs ends the game and gives the directory back."_s},
        {CommandOption::WithoutWindow, {u"find-games"_s}, {},
            u"Print the installs of Duke Nukem 3D found in every Steam library of the native and the Flatpak Steam, "
            "in GOG installs, in the folders added in the launcher's panel and in its game directory, one a line: "
            "the folder, the release, the main group's CRC-32 and where it was found, separated by tabs. A folder is "
            "written as --list writes a name."_s},
        {CommandOption::WithoutWindow, {u"create-shortcut"_s}, u"NAME"_s,
            u"Write a desktop entry titled NAME into the applications folder ($XDG_DATA_HOME/applications) that runs "
            "quillon --launch NAME --window: the launcher window opens with the stored TC NAME chosen and begins its "
            "launch, with the preview and any question. An earlier shortcut of the TC is replaced."_s},
        {CommandOption::WithoutWindow, {u"add-tc"_s}, u"ARCHIVE"_s,
            u"Add the TC of ARCHIVE (.zip, .7z, .rar, .tar, .tar.gz, ...) into a folder of its own under %1: print "
            "what Quillon found (the name, the folder, the group file, the game con, the read-me, the other files, "
            "the version and why, what is skipped and why), ask \"Add? [y/N]\", unpack it and store its definition. "
            "A .grpinfo file adds each TC it describes whose files are beside it."_s.arg(
                u"$XDG_DATA_HOME/quillon/tcs"_s)},
        {CommandOption::WithoutWindow, {u"restore"_s}, {},
            u"Give back a game directory left changed by a launch that did not finish (a crash, --no-restore)."_s},
        {CommandOption::WithoutWindow, {u"v"_s, u"version"_s}, {}, u"Print the version."_s},
        {CommandOption::WithoutWindow, {u"h"_s, u"help"_s, u"?"_s}, {}, u"Print this help."_s},
        {CommandOption::WithLaunch, {u"dry-run"_s}, {}, u"Print the plan and the command; change nothing."_s},
        {CommandOption::WithLaunch, {u"y"_s, u"yes"_s}, {},
            u"Apply (with --add-tc: add) without asking. Without it, Quillon asks on a terminal and refuses when "
            "standard input is not one. Two questions are never answered by --yes: launching a TC made for another "
            "version of the game than the one installed, and deleting files for good (when the game directory has no "
            "trash); without a terminal the launch is refused."_s},
        {CommandOption::WithLaunch, {u"no-restore"_s}, {},
            u"Leave the game directory as the game left it (quillon --restore gives it back later)."_s},
        {CommandOption::WithLaunch, {u"window"_s}, {},
            u"Launch in the launcher window: the TC is chosen there and its launch begins as if Launch were clicked, "
            "with the panel's settings. Only --store goes with it."_s},
        {CommandOption::WithLaunch, {u"game-dir"_s}, u"DIR"_s,
            u"For this run: the game directory. Without it and without one in the settings, the Atomic Edition that --find-games lists is used, else the first other full release."_s},
        {CommandOption::WithLaunch, {u"engine"_s}, u"KIND"_s, u"For this run: eduke32, raze, dosbox or custom."_s},
        {CommandOption::WithLaunch, {u"program"_s}, u"PATH"_s,
            u"For this run: the engine program (a path or a name on PATH)."_s},
        {CommandOption::WithLaunch, {u"arguments"_s}, u"TEMPLATE"_s,
            u"For this run: the custom engine's arguments, with the placeholders {gamedir} {maingroup} {group} {con} "
            "{tcdir} {savedir}; \"[-x {con}]\" is left out whole when {con} is empty."_s},
        {CommandOption::WithAddTc, {u"name"_s}, u"NAME"_s, u"The TC's name, instead of the one Quillon finds."_s},
        {CommandOption::WithAddTc, {kTcVersionOption}, u"VERSION"_s,
            u"The version of the game the TC needs: \"1.3D\", \"1.4/1.5 Atomic\" or \"1.3D and 1.4/1.5\"."_s},
        {CommandOption::WithAddTc, {u"group"_s}, u"FILE"_s,
            u"The TC's group file, as the preview lists it (needed when Quillon cannot tell)."_s},
        {CommandOption::WithAddTc, {u"con"_s}, u"FILE"_s, u"The TC's game con, as the preview lists it (likewise)."_s},
        {CommandOption::Other, {u"store"_s}, u"FILE"_s,
            u"Use the settings store FILE, which must exist, instead of the per-user store (%1)."_s.arg(
                SqliteSettingsStore::defaultPath())},
        {CommandOption::Other, {u"quit-after"_s}, u"MS"_s,
            u"Close every window, naming it on standard output, and quit after MS milliseconds (for tests and demos)."_s},
    };
    return options;
}

QCommandLineOption optionOf(const CommandOption &entry)
{
    return QCommandLineOption(entry.names, entry.description, entry.valueName);
}

// The words of text in lines of at most width characters, each after indent.
QString wrapped(const QString &text, int width, const QString &indent)
{
    QString out, line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            out += indent + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : u" "_s) + word;
    }
    return out + indent + line + u'\n';
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    QCommandLineParser parser;
    const auto option = [&](const QString &name) {
        for (const CommandOption &entry : commandOptions()) {
            if (entry.names.contains(name))
                return optionOf(entry);
        }
        Q_UNREACHABLE();
    };
    for (const CommandOption &entry : commandOptions())
        parser.addOption(optionOf(entry));
    const QCommandLineOption help = option(u"help"_s), version = option(u"version"_s), store = option(u"store"_s),
                             quitAfter = option(u"quit-after"_s), list = option(u"list"_s),
                             launch = option(u"launch"_s), restore = option(u"restore"_s),
                             dryRun = option(u"dry-run"_s), yes = option(u"yes"_s), noRestore = option(u"no-restore"_s),
                             gameDir = option(u"game-dir"_s), engine = option(u"engine"_s),
                             program = option(u"program"_s), argumentTemplate = option(u"arguments"_s),
                             findGames = option(u"find-games"_s), createShortcut = option(u"create-shortcut"_s),
                             window = option(u"window"_s), addTc = option(u"add-tc"_s), addName = option(u"name"_s),
                             addVersion = option(kTcVersionOption), addGroup = option(u"group"_s),
                             addCon = option(u"con"_s);
    const auto wrong = [&](const QString &why) {
        line.error = why;
        return line;
    };
    if (!parser.parse(withTcVersionNamed(withoutQtOptions(arguments))))
        return wrong(parser.errorText() + u" See quillon --help."_s);
    // Help wins over anything else on the line, mistakes included, as a user asking for it
    // is about to fix them.
    if (parser.isSet(help)) {
        line.mode = Mode::Help;
        return line;
    }
    for (const QCommandLineOption &once : {store, quitAfter, launch, gameDir, engine, program, argumentTemplate,
             createShortcut, addTc, addName, addVersion, addGroup, addCon}) {
        if (parser.values(once).size() > 1)
            return wrong(u"--%1 is given more than once."_s.arg(once.names().constLast()));
    }

    const int modes = int(parser.isSet(version)) + int(parser.isSet(list)) + int(parser.isSet(launch))
        + int(parser.isSet(restore)) + int(parser.isSet(findGames)) + int(parser.isSet(createShortcut))
        + int(parser.isSet(addTc));
    if (modes > 1)
        return wrong(u"give only one of --version, --list, --launch, --add-tc, --restore, --find-games and "
                     "--create-shortcut."_s);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return wrong(u"give at most one TC script file."_s);
    if (modes == 1 && !files.isEmpty())
        return wrong(u"a TC script file cannot be combined with --version, --list, --launch, --add-tc, --restore, "
                     "--find-games or --create-shortcut."_s);

    if (parser.isSet(version))
        line.mode = Mode::Version;
    else if (parser.isSet(list))
        line.mode = Mode::List;
    else if (parser.isSet(launch))
        line.mode = Mode::Launch;
    else if (parser.isSet(restore))
        line.mode = Mode::Restore;
    else if (parser.isSet(findGames))
        line.mode = Mode::FindGames;
    else if (parser.isSet(createShortcut))
        line.mode = Mode::CreateShortcut;
    else if (parser.isSet(addTc))
        line.mode = Mode::AddTc;
    else if (!files.isEmpty())
        line.mode = Mode::Script;

    line.storePath = parser.value(store);
    if (!files.isEmpty())
        line.scriptFile = files.constFirst();
    line.tcName = line.mode == Mode::CreateShortcut ? parser.value(createShortcut) : parser.value(launch);
    if (line.mode == Mode::Launch && line.tcName.isEmpty())
        return wrong(u"--launch needs the name of a TC."_s);
    if (line.mode == Mode::CreateShortcut && line.tcName.isEmpty())
        return wrong(u"--create-shortcut needs the name of a TC."_s);

    for (const QCommandLineOption &launchOnly :
        {dryRun, noRestore, gameDir, engine, program, argumentTemplate, window}) {
        if (parser.isSet(launchOnly) && line.mode != Mode::Launch)
            return wrong(u"--%1 goes with --launch."_s.arg(launchOnly.names().constLast()));
    }
    if (parser.isSet(yes) && line.mode != Mode::Launch && line.mode != Mode::AddTc)
        return wrong(u"--yes goes with --launch or --add-tc."_s);
    for (const QCommandLineOption &addOnly : {addName, addVersion, addGroup, addCon}) {
        if (parser.isSet(addOnly) && line.mode != Mode::AddTc)
            return wrong(u"--%1 goes with --add-tc."_s.arg(
                addOnly.names().constLast() == kTcVersionOption ? u"version"_s : addOnly.names().constLast()));
    }
    if (line.mode == Mode::AddTc) {
        line.addSource = parser.value(addTc);
        if (line.addSource.isEmpty())
            return wrong(u"--add-tc needs the archive of a TC."_s);
        line.addName = parser.value(addName);
        line.addGroup = parser.value(addGroup);
        line.addCon = parser.value(addCon);
        if (parser.isSet(addName) && line.addName.trimmed().isEmpty())
            return wrong(u"--name needs a name."_s);
        if (parser.isSet(addVersion)) {
            for (const QStringView known : {kVersion13D, kVersionAtomic, kVersionBoth}) {
                if (parser.value(addVersion).trimmed().compare(known, Qt::CaseInsensitive) == 0)
                    line.addVersion = known.toString();
            }
            if (line.addVersion.isEmpty())
                return wrong(u"--version takes \"1.3D\", \"1.4/1.5 Atomic\" or \"1.3D and 1.4/1.5\", not \"%1\"."_s.arg(
                    parser.value(addVersion)));
        }
    }
    if (parser.isSet(window)) {
        // The window's launch is the panel's: its settings, its questions, its give-back.
        for (const QCommandLineOption &consoleOnly :
            {dryRun, yes, noRestore, gameDir, engine, program, argumentTemplate}) {
            if (parser.isSet(consoleOnly))
                return wrong(u"--%1 does not go with --window, which launches with the panel's settings."_s.arg(
                    consoleOnly.names().constLast()));
        }
        line.mode = Mode::Window;
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
    QString help = uR"(Usage: quillon [OPTIONS] [FILE]
Quillon, the Duke Nukem 3D launcher: manage TC definitions and TC scripts, and launch TCs.

Without FILE or a mode below, the launcher window opens with the TC manager.
With FILE, only the script editor opens, showing that TC script (.tcs); Quillon quits
when the editor is closed.
)"_s;
    constexpr int kWidth = 88, kColumn = 25;
    const QString headings[] = {u"Modes without a window (no display needed):"_s, u"With --launch:"_s,
        u"With --add-tc:"_s, u"Other options:"_s};
    for (int group = CommandOption::WithoutWindow; group <= CommandOption::Other; ++group) {
        help += u'\n' + headings[group] + u'\n';
        for (const CommandOption &entry : commandOptions()) {
            if (entry.group != group)
                continue;
            QStringList names;
            for (const QString &name : entry.names) {
                if (name != u"?")
                    names << (name.size() == 1 ? u"-"_s : u"--"_s) + (name == kTcVersionOption ? u"version"_s : name);
            }
            const QString head =
                u"  "_s + names.join(u", "_s) + (entry.valueName.isEmpty() ? QString() : u' ' + entry.valueName);
            const QString text = wrapped(entry.description, kWidth - kColumn, QString(kColumn, u' '));
            help += head.size() < kColumn - 1 ? QString(head + text.mid(head.size())) : QString(head + u'\n' + text);
        }
    }
    help += u"\nExit statuses:\n"_s;
    for (const ExitStatusMeaning &exit : kExitStatuses) {
        const QString status = QString::fromUtf16(exit.status);
        help += u"  "_s + status + u"  "_s + wrapped(QString::fromUtf16(exit.meaning), kWidth - 5, u"     "_s).mid(5);
    }
    return help;
}

} // namespace ostrel
