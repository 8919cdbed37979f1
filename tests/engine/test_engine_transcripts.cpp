// The device must not be able to tell the engine from the window-thread
// program it replaced: for each scenario the box receives the same commands
// at the same simulated times as in the transcripts recorded from that
// program (golden/), within a small tolerance.
#include "engine_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace Engine;
using Monitor::Page;

struct Action {
    std::int64_t Ms;
    std::function<void(EngineRig&, K730Sim::K730Box&)> Run;
};

struct Scenario {
    const char* Name;
    bool Multiturn;
    std::vector<Action> Actions; // in time order
    std::int64_t EndMs;
};

constexpr std::int64_t ToleranceMs = 5;

std::string Escaped(std::string_view bytes) {
    std::string out;
    for (const unsigned char b : bytes) {
        if (b == '\\') {
            out += "\\\\";
        } else if (b >= 0x21 && b <= 0x7E) {
            out += static_cast<char>(b);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

Action Request(std::int64_t ms, Engine::Request request) {
    return {ms, [request](EngineRig& rig, K730Sim::K730Box&) { rig.Post(request); }};
}

Action OnBox(std::int64_t ms, std::function<void(K730Sim::K730Box&)> change) {
    return {ms, [change](EngineRig&, K730Sim::K730Box& box) { change(box); }};
}

// Requests run at their time, before a tick due at the same moment; nothing
// starts after the end.
std::vector<Written> Play(const Scenario& s) {
    EngineRig rig;
    auto box = rig.AddBox("/dev/ttyACM0", s.Multiturn);
    rig.Start();
    std::size_t next = 0;
    for (;;) {
        const auto due = rig.DueMs();
        const std::int64_t dueMs = due ? *due : INT64_MAX;
        if (next < s.Actions.size() && s.Actions[next].Ms <= dueMs) {
            const Action& action = s.Actions[next++];
            if (std::max(action.Ms, rig.NowMs()) > s.EndMs)
                break;
            if (action.Ms > rig.NowMs())
                rig.clock->AdvanceMs(action.Ms - rig.NowMs());
            action.Run(rig, *box);
            continue;
        }
        if (!due || std::max(dueMs, rig.NowMs()) > s.EndMs)
            break;
        rig.RunNextTick();
    }
    return rig.writes;
}

std::vector<Scenario> Scenarios(const std::string& folder) {
    std::vector<Scenario> all;
    all.push_back({"startup", false, {}, 5000});
    all.push_back({"startup_multiturn", true, {}, 5000});
    const std::pair<const char*, Page> pages[] = {{"page_identification", Page::Identification},
                                                  {"page_position", Page::Other},
                                                  {"page_status", Page::Status},
                                                  {"page_installation", Page::Installation},
                                                  {"page_config", Page::Other}};
    for (const auto& [name, page] : pages)
        all.push_back({name, false, {Request(3000, ShowPage{page})}, 6000});
    all.push_back({"unplug_replug",
                   false,
                   {OnBox(3000, [](K730Sim::K730Box& b) { b.Unplug(); }),
                    OnBox(5500, [](K730Sim::K730Box& b) { b.Plug(); })},
                   9000});
    all.push_back({"encoder_unplug",
                   false,
                   {OnBox(3000, [](K730Sim::K730Box& b) { b.SetEncoderAttached(false); }),
                    OnBox(4500, [](K730Sim::K730Box& b) { b.SetEncoderAttached(true); })},
                   7000});
    for (const bool multiturn : {false, true})
        all.push_back({multiturn ? "set_zero_multiturn" : "set_zero",
                       multiturn,
                       {Request(2500, ShowPage{Page::Installation}), Request(3000, SetZeroHere{})},
                       5000});
    all.push_back({"recording",
                   false,
                   {Request(2500, ShowPage{Page::Other}), Request(2900, SetRecordingDuration{1}),
                    Request(3000, StartRecording{folder, 1})},
                   5000});
    all.push_back({"config_commands",
                   false,
                   {Request(3000, ShowPage{Page::Other}),
                    Request(3100, SendConfig{ConfigCommand::ZeroOffset, 300}),
                    Request(3600, SendConfig{ConfigCommand::SaveToNvram, 0}),
                    Request(4000, SetSupply{false}), Request(4500, SetSupply{true}),
                    Request(5000, SetSpiClock{7})},
                   6000});
    all.push_back({"interval_10", false, {Request(2500, SetReadInterval{10})}, 3500});
    return all;
}

struct Line {
    std::int64_t Ms;
    std::string Bytes;
};

std::vector<Line> ReadGolden(const std::string& name) {
    std::ifstream in(std::string(GOLDEN_DIR) + "/" + name + ".transcript");
    std::vector<Line> lines;
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#')
            continue;
        const auto tab = text.find('\t');
        lines.push_back({std::stoll(text.substr(0, tab)), text.substr(tab + 1)});
    }
    return lines;
}

TEST(Transcripts, TheDeviceSeesWhatItSawBefore) {
    const auto folder = std::filesystem::temp_directory_path() / "tessoran-transcripts";
    std::filesystem::create_directories(folder);
    for (const Scenario& s : Scenarios(folder.string())) {
        SCOPED_TRACE(s.Name);
        const std::vector<Line> golden = ReadGolden(s.Name);
        ASSERT_FALSE(golden.empty()) << "no golden transcript";
        const std::vector<Written> got = Play(s);
        std::ostringstream diff;
        const std::size_t n = std::max(golden.size(), got.size());
        int mismatches = 0;
        for (std::size_t i = 0; i < n && mismatches < 5; ++i) {
            const bool haveG = i < golden.size();
            const bool haveW = i < got.size();
            const bool same = haveG && haveW && golden[i].Bytes == Escaped(got[i].Bytes) &&
                              std::llabs(golden[i].Ms - got[i].Ms) <= ToleranceMs;
            if (same)
                continue;
            ++mismatches;
            diff << "line " << i + 1 << ": golden "
                 << (haveG ? std::to_string(golden[i].Ms) + " " + golden[i].Bytes : "-")
                 << ", engine "
                 << (haveW ? std::to_string(got[i].Ms) + " " + Escaped(got[i].Bytes) : "-")
                 << "\n";
        }
        EXPECT_EQ(mismatches, 0) << diff.str();
    }
    std::filesystem::remove_all(folder);
}

} // namespace
