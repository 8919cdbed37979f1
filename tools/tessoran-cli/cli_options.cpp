#include "cli_options.h"

#include "exit_status.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>

namespace TessoranCli {

std::string HelpText(const CommandSpec& command) {
    std::string text = "Usage: tessoran-cli " + std::string(command.Name) +
                       " [OPTION]... [PORT]...\n" + std::string(command.About) + "\nOptions:\n";
    for (const OptionSpec& option : command.Options) {
        std::string left = "  --";
        left += option.Name;
        if (!option.Value.empty())
            (left += ' ') += option.Value;
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += left + std::string(option.Help) + "\n";
    }
    text += "  --help                this text\n\n"
            "PORTs (COM7, /dev/ttyACM0), when given, are probed instead of the USB\n"
            "serial ports (and on Linux the device paths in TESSORAN_PORTS).\n\n" +
            std::string(command.ExitStatus);
    return text;
}

Arguments::Arguments(const CommandSpec& command, std::span<const std::string> args)
    : command_(command) {
    for (std::size_t i = 0; i < args.size() && error_.empty(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help_ = true;
            continue;
        }
        if (!arg.starts_with("-") || arg == "-") {
            ports_.emplace_back(arg);
            continue;
        }
        if (!arg.starts_with("--")) {
            Fail("unknown option " + std::string(arg));
            break;
        }
        arg.remove_prefix(2);
        std::optional<std::string_view> value;
        if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const auto option = std::find_if(command.Options.begin(), command.Options.end(),
                                         [arg](const OptionSpec& o) { return o.Name == arg; });
        if (option == command.Options.end()) {
            Fail("unknown option --" + std::string(arg));
        } else if (option->Value.empty() && value) {
            Fail("--" + std::string(arg) + " takes no value");
        } else if (!option->Value.empty() && !value && i + 1 >= args.size()) {
            Fail("--" + std::string(arg) + " needs " + std::string(option->Value));
        } else {
            if (!option->Value.empty() && !value)
                value = args[++i];
            values_[std::string(arg)] = std::string(value.value_or(""));
        }
    }
}

const std::string* Arguments::Value(std::string_view name) const {
    const auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
}

void Arguments::Fail(std::string text) {
    if (error_.empty())
        error_ = std::move(text);
}

std::int64_t Arguments::Integer(std::string_view name, std::int64_t fallback, std::int64_t min,
                                std::int64_t max) {
    const std::string* text = Value(name);
    if (!text)
        return fallback;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc{} || end != text->data() + text->size() || value < min || value > max) {
        Fail("--" + std::string(name) + " wants a whole number from " + std::to_string(min) +
             " to " + std::to_string(max) + ", not \"" + *text + "\"");
        return fallback;
    }
    return value;
}

std::optional<double> Arguments::Number(std::string_view name, double min) {
    const std::string* text = Value(name);
    if (!text)
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc{} || end != text->data() + text->size() || !std::isfinite(value) ||
        value < min) {
        Fail("--" + std::string(name) + " wants a number, not \"" + *text + "\"");
        return std::nullopt;
    }
    return value;
}

std::optional<std::size_t> Arguments::Count(std::string_view name) {
    if (!Value(name))
        return std::nullopt;
    return static_cast<std::size_t>(Integer(name, 0, 0, 1'000'000'000));
}

std::size_t Arguments::Choice(std::string_view name, std::span<const std::string_view> choices) {
    const std::string* text = Value(name);
    if (!text)
        return 0;
    const auto it = std::find(choices.begin(), choices.end(), *text);
    if (it != choices.end())
        return static_cast<std::size_t>(it - choices.begin());
    std::string list;
    for (const std::string_view choice : choices)
        list += (list.empty() ? "" : ", ") + std::string(choice);
    Fail("--" + std::string(name) + " wants one of " + list + ", not \"" + *text + "\"");
    return 0;
}

std::string Arguments::Text(std::string_view name, std::string fallback) const {
    const std::string* text = Value(name);
    return text ? *text : std::move(fallback);
}

int Arguments::ShowHelp() const {
    std::cout << HelpText(command_);
    return ExitOk;
}

int Arguments::UsageError() const {
    std::cerr << "tessoran-cli " << command_.Name << ": " << error_ << "\nTry 'tessoran-cli "
              << command_.Name << " --help'.\n";
    return ExitUsage;
}

} // namespace TessoranCli
