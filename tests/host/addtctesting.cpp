#include "addtctesting.h"

namespace ostrel::test {

QList<TestEntry> harbourEntries()
{
    return {
        {"harbour/", {}, TestEntry::Type::Folder},
        {"harbour/HARBOUR.GRP", tinyGroup()},
        {"harbour/GAME.CON", "include DEFS.CON"},
        {"harbour/DEFS.CON", "define X 1"},
        {"harbour/README.TXT",
            "Harbour Strike\r\nUnzip and run: duke3d /x GAME.CON /g HARBOUR.GRP\r\nNeeds the Atomic Edition.\r\n"},
        {"harbour/E2L1.MAP", "a map"},
        {"harbour/SETUP.EXE", "MZ"},
        {"harbour/../../outside.txt", "escaped"},
    };
}

} // namespace ostrel::test
