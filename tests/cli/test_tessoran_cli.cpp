// tessoran-cli as a script meets it: each subcommand run as a process against
// a k730-sim process, its standard output, its files and its exit status.
#include "sim_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Ran {
    int Status = -1;
    std::vector<std::string> Lines;

    [[nodiscard]] std::string Text() const {
        std::string text;
        for (const std::string& line : Lines)
            text += line + "\n";
        return text;
    }
    [[nodiscard]] bool Has(const std::string& line) const {
        return std::find(Lines.begin(), Lines.end(), line) != Lines.end();
    }
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        // A turn a second: a check of two seconds sees the whole turn twice.
        ASSERT_TRUE(sim_.Start({K730_SIM_PATH, "--speed", "60"}));
        port_ = sim_.ReadLine();
        ASSERT_EQ(port_.rfind("/dev/pts/", 0), 0u) << port_;
        dir_ = fs::temp_directory_path() / ("tessoran-cli-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        // Every check keeps its result: here, not in the user's data folder.
        setenv("TESSORAN_RESULTS", (dir_ / "results.sqlite").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Start(SimProcess& cli, std::vector<std::string> args, bool onSim = true) {
        args.insert(args.begin(), TESSORAN_CLI_PATH);
        if (onSim)
            args.push_back(port_);
        ASSERT_TRUE(cli.Start(args));
    }

    Ran Run(std::vector<std::string> args, bool onSim = true) {
        SimProcess cli;
        Start(cli, std::move(args), onSim);
        Ran ran;
        ran.Lines = cli.ReadAllLines();
        ran.Status = cli.Wait();
        return ran;
    }

    SimProcess sim_;
    std::string port_;
    fs::path dir_;
};

TEST_F(Cli, BadUsageAndHelp) {
    const std::vector<std::string> bad[] = {{},
                                            {"frobnicate"},
                                            {"probe", "--rounds", "0"},
                                            {"watch", "--values", "speed"},
                                            {"record", "--interval", "0"},
                                            {"record", "--folder"},
                                            {"check", "--gap-max", "wide"},
                                            {"check", "--full-turn=yes"},
                                            {"check", "--max-errors", "-1"},
                                            {"linktest", "--readings", "0"}};
    for (const auto& args : bad) {
        const Ran ran = Run(args, false);
        EXPECT_EQ(ran.Status, 64) << ::testing::PrintToString(args);
        EXPECT_TRUE(ran.Lines.empty()) << ran.Text(); // the complaint goes to standard error
    }
    for (const std::string command : {"probe", "watch", "record", "check", "linktest"}) {
        const Ran ran = Run({command, "--help"}, false);
        EXPECT_EQ(ran.Status, 0) << command;
        ASSERT_FALSE(ran.Lines.empty()) << command;
        EXPECT_EQ(ran.Lines[0], "Usage: tessoran-cli " + command + " [OPTION]... [PORT]...");
        EXPECT_NE(ran.Text().find("64 bad usage"), std::string::npos) << ran.Text();
    }
}

TEST_F(Cli, ProbeFindsTheBoxOrSaysThereIsNone) {
    const Ran found = Run({"probe"});
    EXPECT_EQ(found.Status, 0) << found.Text();
    EXPECT_TRUE(found.Has("Interface found on " + port_)) << found.Text();
    EXPECT_NE(found.Text().find("\n  single-turn encoder: count "), std::string::npos)
        << found.Text();
    EXPECT_EQ(found.Lines.back(), "Handshake ok");

    const Ran none = Run({"probe", (dir_ / "absent").string()}, false);
    EXPECT_EQ(none.Status, 1) << none.Text();
    EXPECT_EQ(none.Lines.back(), "No K730-6W found");
}

TEST_F(Cli, WatchPrintsEachReadingAsItComesUntilStopped) {
    SimProcess cli;
    Start(cli, {"watch", "--json", "--interval", "5", "--values", "installation"});
    // Lines come while it runs: a reader on the pipe sees each at once.
    std::vector<std::string> lines;
    while (lines.size() < 30) {
        lines.push_back(cli.ReadLine(10000));
        ASSERT_FALSE(lines.back().empty()) << "after " << lines.size() - 1 << " lines";
    }
    EXPECT_EQ(cli.Terminate(SIGTERM), 0);
    for (std::string& line : cli.ReadAllLines())
        lines.push_back(std::move(line));

    std::int64_t lastMs = -1;
    std::map<std::string, int> fields;
    for (const std::string& line : lines) {
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(j.is_object()) << line;
        EXPECT_EQ(j["t_ms"].get<std::int64_t>() >= (lastMs < 0 ? 0 : lastMs + 1), true) << line;
        lastMs = j["t_ms"];
        EXPECT_TRUE(j["crc_ok"].get<bool>() && !j["error"].get<bool>() && j["mt"] == 0) << line;
        EXPECT_DOUBLE_EQ(j["position_deg"].get<double>(), j["st"].get<double>() * 360 / 16384);
        if (j.contains("air_gap_mm")) {
            EXPECT_NEAR(j["air_gap_mm"].get<double>(), 0.8, 0.035) << line;
            EXPECT_GT(j["signal_level"].get<int>(), 0) << line;
        }
        for (const auto& [key, value] : j.items())
            ++fields[key];
    }
    EXPECT_EQ(nlohmann::json::parse(lines.front())["t_ms"], 0);
    // The Installation page's schedule: calibration status, signal level, position.
    EXPECT_NEAR(fields["signal_level"], static_cast<double>(lines.size()) / 3, 1.0);
    EXPECT_NEAR(fields["calibration_status"], static_cast<double>(lines.size()) / 3, 1.0);
    EXPECT_EQ(fields["raw"], static_cast<int>(lines.size()));

    const Ran status = Run({"watch", "--seconds", "1", "--values", "status"});
    EXPECT_EQ(status.Status, 0);
    ASSERT_GT(status.Lines.size(), 5u) << status.Text();
    EXPECT_TRUE(std::regex_match(status.Lines[0],
                                 std::regex(" +t_ms raw +crc_ok error warning +mt +st position_deg "
                                            "detailed_status temperature_c speed_rpm timestamp")))
        << status.Lines[0];
    // Each reply fills its own column; the others show "-".
    const std::string row = " +\\d+ [0-9A-F]+ +1 +0 +0 +0 +\\d+ +\\d+\\.\\d{3} ";
    const std::regex temperature(row + "+- +\\d+\\.\\d +- +-");
    const std::regex speed(row + "+- +- +\\d+\\.\\d +-");
    int temperatures = 0;
    int speeds = 0;
    for (std::size_t i = 1; i < status.Lines.size(); ++i) {
        temperatures += std::regex_match(status.Lines[i], temperature) ? 1 : 0;
        speeds += std::regex_match(status.Lines[i], speed) ? 1 : 0;
    }
    EXPECT_NEAR(temperatures, (status.Lines.size() - 1) / 5.0, 1.0) << status.Text();
    EXPECT_NEAR(speeds, (status.Lines.size() - 1) / 5.0, 1.0) << status.Text();
}

TEST_F(Cli, RecordStoppedByCtrlCKeepsEveryRow) {
    SimProcess cli;
    Start(cli, {"record", "--interval", "5", "--folder", dir_.string()});
    const std::string path = cli.ReadLine(15000);
    EXPECT_TRUE(path.starts_with((dir_ / "POSITION_VLR14SPIST16B050_V24017_").string())) << path;
    const auto lineCount = [&path] {
        std::ifstream file(path);
        return std::count(std::istreambuf_iterator<char>(file), {}, '\n');
    };
    for (int i = 0; i < 200 && lineCount() < 20; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(cli.Terminate(SIGINT), 0);
    const std::vector<std::string> rest = cli.ReadAllLines();
    ASSERT_EQ(rest.size(), 1u);
    std::smatch summary;
    ASSERT_TRUE(std::regex_match(
        rest[0], summary,
        std::regex("(\\d+) rows in \\d+\\.\\d{3} s: 0 with the error bit, 0 with the warning bit")))
        << rest[0];

    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Time(ms);RX;MT;ST;Error;Warning;\r");
    EXPECT_EQ(std::to_string(lines.size() - 1), summary[1].str());
    EXPECT_GE(lines.size(), 20u);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex("\\d+;0x[0-9A-F]{6};0;\\d+;0;0;\r")))
            << i << ": " << lines[i];
}

TEST_F(Cli, LinktestRecommendsTheClockTheCableCarries) {
    const Ran clean = Run({"linktest", "--readings", "50"});
    EXPECT_EQ(clean.Status, 0) << clean.Text();
    EXPECT_TRUE(clean.Has("8 = 12 MHz          50           0          0")) << clean.Text();
    EXPECT_EQ(clean.Lines.back(), "Recommended: 8 = 12 MHz");

    sim_.Command("cable 20");
    ASSERT_FALSE(sim_.Sync().empty());
    const Ran json = Run({"linktest", "--readings", "50", "--json"});
    EXPECT_EQ(json.Status, 0) << json.Text();
    ASSERT_EQ(json.Lines.size(), 1u) << json.Text();
    const auto j = nlohmann::json::parse(json.Lines[0]);
    ASSERT_EQ(j["clocks"].size(), 8u);
    EXPECT_EQ(j["clocks"][4]["crc_failed"], 0);
    EXPECT_GT(j["clocks"][5]["crc_failed"], 0);
    EXPECT_EQ(j["recommended"]["index"], 5);
    EXPECT_EQ(j["recommended"]["text"], "5 = 1.5 MHz");
    EXPECT_EQ(j["box"]["port"], port_);

    const Ran none = Run({"linktest", (dir_ / "absent").string()}, false);
    EXPECT_EQ(none.Status, 1) << none.Text();
}

TEST_F(Cli, CheckPassesFailsOrAsksForTheWholeTurn) {
    struct Case {
        std::string SimCommand;
        std::vector<std::string> Limits;
        int Status;
        std::vector<std::string> Verdict; ///< the last lines
    };
    const Case cases[] = {
        {"",
         {"--gap-min", "0.5", "--gap-max", "1.2", "--signal-min", "20", "--full-turn"},
         0,
         {"Coverage:  36 of 36 sectors of 10\u00B0", "Runout:    0.06 mm, largest gap at 90\u00B0",
          "Limits:    air gap min 0.5 mm, air gap max 1.2 mm, signal level min 20, "
          "max errors 0, a whole turn",
          "Verdict:   PASS"}},
        // A magnet off-centre: 0.8 mm +- 0.45 mm, largest at 90 degrees.
        {"wobble 0.45",
         {"--runout-max", "0.3"},
         3,
         {"Runout:    0.90 mm, largest gap at 90\u00B0, explains 100 % of the variance",
          "Limits:    max errors 0, runout max 0.3 mm", "Verdict:   FAIL",
          "  runout 0.90 mm above 0.30 mm, largest gap at 90.0\u00B0"}},
        // The simulated gap is 0.8 mm +- 0.03 mm around the turn.
        {"wobble 0.03",
         {"--gap-max", "0.8"},
         3,
         {"Verdict:   FAIL", "  air gap 0.83 mm above 0.80 mm at"}},
        {"error on", {}, 3, {"Verdict:   FAIL", "readings with the error bit"}},
        {"error off\nspeed 0",
         {"--full-turn"},
         4,
         {"Verdict:   INCOMPLETE", "  Turn the shaft through a whole turn: 1 of 36 sectors seen"}},
    };
    for (const Case& c : cases) {
        if (!c.SimCommand.empty()) {
            sim_.Command(c.SimCommand);
            ASSERT_FALSE(sim_.Sync().empty());
        }
        std::vector<std::string> args{"check", "--seconds", "2", "--interval", "2"};
        args.insert(args.end(), c.Limits.begin(), c.Limits.end());
        const Ran ran = Run(args);
        EXPECT_EQ(ran.Status, c.Status) << ran.Text();
        ASSERT_GE(ran.Lines.size(), c.Verdict.size()) << ran.Text();
        const auto tail = ran.Lines.end() - static_cast<std::ptrdiff_t>(c.Verdict.size());
        for (std::size_t i = 0; i < c.Verdict.size(); ++i) {
            const std::string& line = tail[static_cast<std::ptrdiff_t>(i)];
            EXPECT_TRUE(line.starts_with(c.Verdict[i]) || line.ends_with(c.Verdict[i]))
                << c.Verdict[i] << "\n"
                << ran.Text();
        }
    }

    const Ran json = Run({"check", "--seconds", "1", "--full-turn", "--json"});
    EXPECT_EQ(json.Status, 4);
    ASSERT_EQ(json.Lines.size(), 1u) << json.Text();
    const nlohmann::json j = nlohmann::json::parse(json.Lines[0]);
    EXPECT_EQ(j["verdict"], "INCOMPLETE");
    EXPECT_EQ(j["coverage"]["sectors_seen"], 1);
    EXPECT_NEAR(j["air_gap"]["points"].get<double>(), j["readings"].get<double>() / 3, 1.0);
    EXPECT_EQ(j["limits"]["max_errors"], 0);
    EXPECT_TRUE(j["limits"]["gap_max_mm"].is_null());
    EXPECT_EQ(j["box"]["port"], port_);
    EXPECT_EQ(j["encoder"]["part_number"], "VLR14SPIST16B050");

    // Each check was kept, and history gives it back with the same fields.
    const Ran history = Run({"history", "--json", "--limit", "4"}, false);
    EXPECT_EQ(history.Status, 0) << history.Text();
    ASSERT_EQ(history.Lines.size(), 4u) << history.Text();
    nlohmann::json kept = nlohmann::json::parse(history.Lines[0]);
    EXPECT_EQ(kept["source"], "check");
    EXPECT_TRUE(kept["report"].is_null());
    EXPECT_TRUE(std::regex_match(kept["time"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    for (const char* stored : {"id", "time", "bench", "program_version", "source", "report"})
        kept.erase(stored);
    EXPECT_EQ(kept, j);
    std::vector<std::string> verdicts;
    for (const std::string& line : history.Lines)
        verdicts.push_back(nlohmann::json::parse(line)["verdict"]);
    EXPECT_EQ(verdicts, (std::vector<std::string>{"INCOMPLETE", "INCOMPLETE", "FAIL", "FAIL"}));
    const Ran columns = Run({"history", "--serial", j["encoder"]["serial"]}, false);
    ASSERT_EQ(columns.Lines.size(), 7u) << columns.Text(); // the heading and six checks
    EXPECT_TRUE(columns.Lines[0].starts_with("TIME  ")) << columns.Text();
    EXPECT_NE(columns.Lines[3].find("FAIL  "), std::string::npos) << columns.Text();
    EXPECT_EQ(Run({"history", "--serial", "nobody"}, false).Lines.size(), 0u);
}

TEST_F(Cli, AResultThatCannotBeKeptChangesNothingOfTheCheck) {
    std::ofstream(dir_ / "plain") << "a file, not a folder\n";
    const std::string nowhere = (dir_ / "plain" / "results.sqlite").string();
    SimProcess cli;
    Start(cli, {"check", "--seconds", "1", "--json", "--results", nowhere});
    const std::vector<std::string> out = cli.ReadAllLines();
    EXPECT_EQ(cli.Wait(), 0);
    EXPECT_EQ(out.size(), 1u);
    std::string said; // after the diagnostics of the search
    while (!said.starts_with("Result not kept: ") && !(said = cli.ReadErrorLine(1000)).empty()) {
    }
    EXPECT_TRUE(said.starts_with("Result not kept: ")) << said;
    EXPECT_NE(said.find(nowhere), std::string::npos) << said;

    // A results file that is not one: history cannot read it.
    EXPECT_EQ(Run({"history", "--results", (dir_ / "plain").string()}, false).Status, 74);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"history", "--since", "2026-13-01"},
          {"history", "--limit", "many"},
          {"history", "--results", "none"}})
        EXPECT_EQ(Run(bad, false).Status, 64) << bad.back();
}

} // namespace
