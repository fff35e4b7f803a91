// The programs the parser client starts, handed to it by whoever creates it: the product
// leaves them empty for the installed ones, tests name their own (a server with faults on
// cue, a kill utility in a folder of theirs).
#pragma once

#include <QString>

namespace zorv {

struct ParserPrograms {
    QString server;      // "": ZorvPr beside the running executable
    QString killUtility; // "": ZorvKPN in the system folder

    // The program to start, the installed one where none is named.
    QString Server() const;
    QString KillUtility() const;
};

} // namespace zorv
