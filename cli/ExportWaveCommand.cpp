#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

void exportOne(const ToneBank& bank, std::uint32_t wave, const std::string& path, CommandContext& context)
{
    errno = 0;
    if (!bank.exportWav(path.c_str(), wave))
        throw CommandError("cannot write " + path + (errno ? std::string(": ") + std::strerror(errno) : ""));
    context.out << "wave " << wave << ": " << bank.waveSize(wave) << " samples to " << path << '\n';
}

int runExportWave(Arguments& args, CommandContext& context)
{
    const std::optional<std::string> directory = args.takeOption("--all");
    const std::vector<std::string> paths = args.positionals(directory ? 1 : 3);
    ToneBank bank;
    openBank(bank, paths[0]);

    if (!directory) {
        if (bank.waveCount() == 0)
            throw CommandError(paths[0] + " has no waves");
        const auto wave = static_cast<std::uint32_t>(parseInteger(paths[1], 0, bank.waveCount() - 1, "INDEX"));
        exportOne(bank, wave, paths[2], context);
        return 0;
    }

    std::error_code error;
    std::filesystem::create_directories(*directory, error);
    if (error)
        throw CommandError("cannot create " + *directory + ": " + error.message());
    for (std::uint32_t wave = 0; wave < bank.waveCount(); ++wave) {
        char name[32];
        std::snprintf(name, sizeof name, "wave-%05u.wav", static_cast<unsigned>(wave));
        exportOne(bank, wave, (std::filesystem::path(*directory) / name).string(), context);
    }
    return 0;
}

} // namespace

extern const Command exportWaveCommand{
    "export-wave",
    "write waves of a bank as WAV files",
    "usage: zbk export-wave BANK INDEX OUT.wav\n"
    "       zbk export-wave BANK --all DIR\n"
    "\n"
    "Writes wave INDEX (counting from 0) as an 8-bit mono PCM WAV file at 44100 Hz,\n"
    "or with --all every wave as DIR/wave-00000.wav, DIR/wave-00001.wav, ...\n"
    "(DIR is created if needed). An existing file is replaced only once the new one\n"
    "is complete.\n",
    runExportWave,
};
