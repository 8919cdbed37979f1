#pragma once
// The command line of a subcommand: its options as a table, which gives both
// the parser and the --help text, and the values read off it. A bad value is
// a usage error, reported once with the subcommand's name.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace TessoranCli {

struct OptionSpec {
    std::string_view Name;  ///< without the leading "--"
    std::string_view Value; ///< the value's name in the help; empty: a flag
    std::string_view Help;
};

/// --interval, as the window's "Delay between readings (ms)" takes it;
/// read with Arguments::IntervalMs.
inline constexpr OptionSpec IntervalOption{"interval", "MS",
                                           "delay between readings, 1 to 10000 ms (70)"};

/// --seconds for the subcommands that run until stopped; read with
/// Arguments::SecondsUntilStopped.
inline constexpr OptionSpec UntilStoppedOption{"seconds", "S",
                                               "stop after S seconds (0, the default: at Ctrl+C)"};

struct CommandSpec {
    std::string_view Name;
    std::string_view About; ///< the --help text between usage and options
    std::span<const OptionSpec> Options;
    std::string_view ExitStatus;
};

/// The subcommand's --help text.
[[nodiscard]] std::string HelpText(const CommandSpec& command);

class Arguments {
public:
    /// Reads `args` (what follows the subcommand's name): "--name VALUE" or
    /// "--name=VALUE", flags, and every other word a port. `Error()` says
    /// what was wrong.
    Arguments(const CommandSpec& command, std::span<const std::string> args);

    [[nodiscard]] bool Help() const { return help_; }
    /// Prints the subcommand's --help text on standard output; returns ExitOk.
    [[nodiscard]] int ShowHelp() const;
    [[nodiscard]] const std::vector<std::string>& Ports() const { return ports_; }
    [[nodiscard]] bool Flag(std::string_view name) const { return values_.contains(name); }

    /// A whole number from `min` to `max`; `fallback` when the option is absent.
    [[nodiscard]] std::int64_t Integer(std::string_view name, std::int64_t fallback,
                                       std::int64_t min, std::int64_t max);
    /// --interval (IntervalOption) in milliseconds.
    [[nodiscard]] int IntervalMs() { return static_cast<int>(Integer("interval", 70, 1, 10000)); }
    /// --seconds (UntilStoppedOption); 0 runs until stopped.
    [[nodiscard]] std::int64_t SecondsUntilStopped() {
        return Integer("seconds", 0, 0, 100'000'000);
    }
    /// A finite number not below `min`; unset when the option is absent.
    [[nodiscard]] std::optional<double> Number(std::string_view name, double min);
    /// A count (0 or more); unset when the option is absent.
    [[nodiscard]] std::optional<std::size_t> Count(std::string_view name);
    /// The index of the one of `choices` given; 0 when the option is absent.
    [[nodiscard]] std::size_t Choice(std::string_view name,
                                     std::span<const std::string_view> choices);
    /// The value as it stands; `fallback` when the option is absent.
    [[nodiscard]] std::string Text(std::string_view name, std::string fallback) const;

    /// Empty while the command line is good.
    [[nodiscard]] const std::string& Error() const { return error_; }
    /// Prints the error and a pointer to --help on standard error; returns the
    /// usage exit status.
    [[nodiscard]] int UsageError() const;

private:
    void Fail(std::string text);
    const std::string* Value(std::string_view name) const;

    const CommandSpec& command_;
    std::map<std::string, std::string, std::less<>> values_;
    std::vector<std::string> ports_;
    bool help_ = false;
    std::string error_;
};

} // namespace TessoranCli
