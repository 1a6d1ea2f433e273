#include "cli/Command.h"

// Each command lives in a file of its own and gives its entry here.
extern const Command newCommand;
extern const Command infoCommand;
extern const Command checkCommand;
extern const Command convertCommand;
extern const Command renderCommand;
extern const Command playCommand;
extern const Command renderMidiCommand;
extern const Command playMidiCommand;
extern const Command demoCommand;
extern const Command importWaveCommand;
extern const Command exportWaveCommand;
extern const Command editCommand;
extern const Command importSf2Command;
extern const Command midiInfoCommand;

const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands = {
        newCommand,        infoCommand,       checkCommand,     convertCommand,  renderCommand,
        playCommand,       renderMidiCommand, playMidiCommand,  demoCommand,     importWaveCommand,
        exportWaveCommand, editCommand,       importSf2Command, midiInfoCommand,
    };
    return commands;
}
