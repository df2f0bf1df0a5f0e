// What a start of Quorlin.exe is asked to do, read from its command-line arguments. The logon entry
// passes "-startup", which changes nothing; an installer passes "/exit" or "/uninstall".
#pragma once
#include <string_view>

namespace quorlin {

enum class StartCommand {
    Run,        // the program itself
    Exit,       // end the running instance as the end of the session does, then end
    Uninstall,  // the same, then delete the logon entry
};

// The arguments after the program's name; "/" or "-", any case, quotes allowed. The first word that
// names a command decides; anything else starts the program.
StartCommand ParseStartCommand(std::wstring_view arguments);

}  // namespace quorlin
