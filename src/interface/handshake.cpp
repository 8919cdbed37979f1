#include "interface/handshake.h"

#include "interface/k730_commands.h"
#include "util/Orodja.h"

namespace K730 {

bool IsIdentification(int status, std::string_view reply) {
    return status == 0 && reply.starts_with(IdentityPrefix);
}

std::int32_t ParseFirmwareRevision(std::string_view reply) {
    return Orodja::StrToIntDef(Orodja::KeepAlphanumeric(reply), 0);
}

std::string VersionText(std::string_view printableIdentification, std::int32_t firmwareRevision) {
    std::string text;
    if (printableIdentification.size() >= 10)
        text = std::string(printableIdentification.substr(9, 5));
    return text + "." + std::to_string(firmwareRevision);
}

bool IsRefusal(std::string_view reply) {
    return Orodja::UpperCase(reply).find("ERROR") != std::string::npos;
}

std::string ClockCommand(int itemIndex) {
    std::string command = "M";
    command += std::to_string(itemIndex + 1);
    return command;
}

} // namespace K730
