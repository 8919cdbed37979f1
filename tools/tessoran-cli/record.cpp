// tessoran-cli record: the window's position recording, written by the same
// engine code, so the file's name, header and rows are the window's.

#include "cli_options.h"
#include "cli_session.h"
#include "exit_status.h"
#include "stop_signal.h"
#include "subcommands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace TessoranCli {
namespace {

constexpr OptionSpec RecordOptionTable[] = {
    IntervalOption,
    UntilStoppedOption,
    {"folder", "DIR", "where the file goes (the current folder)"},
};

constexpr CommandSpec RecordSpec{
    "record",
    "Records the encoder's position as the window's \"Record position to file\"\n"
    "does: POSITION_<part>_<serial>_<YYYYMMDDhhmmss>.csv, one row per reading,\n"
    "each with the system at once and on the disk within a second; a file of\n"
    "that name is never replaced (_2, _3, ...).\n"
    "Prints the file's path first and, at the end, the rows, the duration and how\n"
    "many rows carried the error or warning bit. Ctrl+C, SIGTERM or closing the\n"
    "console ends it with the file closed and every row kept.\n",
    RecordOptionTable,
    "Exit status: 0 recorded (also when stopped), 1 no box or no encoder found,\n"
    "64 bad usage, 74 the file could not be created or written.\n"};

// The folder as the path line will show it: absolute, UTF-8.
std::string AbsoluteFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    const std::u8string utf8(folder.begin(), folder.end());
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(utf8), error);
    if (error)
        return folder; // opening the file names the fault
    const std::u8string text = absolute.lexically_normal().u8string();
    return {text.begin(), text.end()};
}

struct Recording {
    bool Ended = false;
    bool Failed = false;
    bool RowPending = false; ///< a row was written; its reading follows
    std::size_t Rows = 0;
    std::size_t ErrorRows = 0;
    std::size_t WarningRows = 0;
    std::uint32_t LastMs = 0;

    void Take(const Engine::Report& report) {
        if (const auto* path = std::get_if<Engine::RecordingPath>(&report)) {
            std::cout << path->Path << std::endl;
        } else if (const auto* row = std::get_if<Engine::RecordingRow>(&report)) {
            ++Rows;
            LastMs = row->ElapsedMs;
            RowPending = true;
        } else if (const auto* reading = std::get_if<Engine::Reading>(&report)) {
            if (RowPending) {
                ErrorRows += reading->Position.ErrBit ? 1 : 0;
                WarningRows += reading->Position.WarnBit ? 1 : 0;
            }
            RowPending = false;
        } else if (const auto* ended = std::get_if<Engine::RecordingEnded>(&report)) {
            Ended = true;
            Failed = ended->Failed;
        }
    }
};

} // namespace

int RecordCommand(Words words) {
    Arguments args(RecordSpec, words);
    if (args.Help())
        return args.ShowHelp();
    const int interval = args.IntervalMs();
    const int seconds = static_cast<int>(args.SecondsUntilStopped());
    const std::string folder = AbsoluteFolder(args.Text("folder", "."));
    if (!args.Error().empty())
        return args.UsageError();

    CatchStopSignals();
    Diagnostics diagnostics(std::cerr);
    Recording recording;
    Session session(SystemEnvironment(args.Ports()), [&](const Engine::Report& report) {
        diagnostics.Report(report);
        recording.Take(report);
    });
    const int status = session.Connect(Monitor::Page::Other, interval, std::cerr);
    if (status != ExitOk) {
        StopDone();
        return status;
    }
    // The file is named after the encoder, so it starts once that is known.
    session.Handle(Engine::StartRecording{folder, seconds});
    session.Run(0, [&] { return recording.Ended; });
    if (!recording.Ended)
        session.Handle(Engine::StopRecording{});

    char summary[160];
    std::snprintf(summary, sizeof summary,
                  "%zu rows in %.3f s: %zu with the error bit, %zu with the warning bit",
                  recording.Rows, recording.LastMs / 1000.0, recording.ErrorRows,
                  recording.WarningRows);
    std::cout << summary << std::endl;
    StopDone();
    return recording.Failed ? ExitFileError : ExitOk;
}

} // namespace TessoranCli
