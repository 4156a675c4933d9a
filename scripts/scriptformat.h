#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace ostrel {

class ScriptBuffer;

/// The keywords of a script's directives, as the writer spells them.
namespace ScriptKeyword {
inline constexpr QStringView DukeVersion = u"definedukeversion";
inline constexpr QStringView TcName = u"definetcname";
inline constexpr QStringView TcVersion = u"definetcversion";
inline constexpr QStringView ReleaseDate = u"definereldate";
inline constexpr QStringView GroupFile = u"definegroupfile";
inline constexpr QStringView GameCon = u"definegamecon";
inline constexpr QStringView TextFile = u"definetextfile";
inline constexpr QStringView OtherFile = u"defineotherfile";
inline constexpr QStringView Author = u"defineauthor";
inline constexpr QStringView Email = u"defineemail";
inline constexpr QStringView Web = u"defineweb";
} // namespace ScriptKeyword

/// The fields of a script: ten text values and the ordered other files.
struct ScriptRecord {
    QString dukeVersion, tcName, tcVersion, releaseDate, groupFile, gameCon, textFile;
    QStringList otherFiles;
    QString author, email, web;
};

/// The script text the writer produces: 10 + n lines, lower-case keywords, CR LF after every line,
/// empty value -> keyword, space, CR LF. Order: definedukeversion, definetcname, definetcversion,
/// definereldate, definegroupfile, definegamecon, definetextfile, defineotherfile (one per entry),
/// defineauthor, defineemail, defineweb.
QString BuildScriptText(const ScriptRecord &record);

/// What a script holds by the shared reading rules; a field is std::nullopt when its directive is
/// missing. The release date is never read. Does not change the buffer's text.
struct ScriptDirectives {
    std::optional<QString> dukeVersion, tcName, tcVersion, groupFile, gameCon, textFile, author, email, web;
    QStringList otherFiles; // every defineotherfile occurrence, in text order
    /// Set when the other files would run past kMaxOtherFileCharacters: then otherFiles is
    /// cut short and the script is to be treated as one that cannot be loaded.
    bool tooLarge = false;
};

/// How many characters the other-file values of one script may add up to. A real script's
/// values are pieces of its lines and stay below its size; only many "defineotherfile" on one
/// long line, each taking the rest of that line, can multiply it, and that is no script.
inline constexpr qsizetype kMaxOtherFileCharacters = 2 * 1024 * 1024;
ScriptDirectives ReadScript(ScriptBuffer &buffer);

/// The single-valued reading rule for one keyword (without its trailing space): the first match
/// anywhere in the text, up to the end of its line, less every "keyword " in it.
std::optional<QString> ReadDirective(ScriptBuffer &buffer, QStringView keyword);

/// Every "defineotherfile" occurrence in text order, each read as a single-valued directive
/// from where it stands (the search restarts 8 characters after each match).
/// Stops, setting *tooLarge when given, once the values would pass kMaxOtherFileCharacters.
QStringList ReadOtherFiles(ScriptBuffer &buffer, bool *tooLarge = nullptr);

/// Index of the first item equal to value after both are upper-cased (whole strings, no trimming);
/// -1 when none.
int MatchVersion(const QString &value, const QStringList &items);

} // namespace ostrel
