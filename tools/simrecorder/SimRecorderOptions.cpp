#include "tools/simrecorder/SimRecorderOptions.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, unsigned long maximum, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return value <= maximum;
}

bool ParseDay(const std::string& text, QVNET_TIME& day) {
    unsigned y = 0, m = 0, d = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2u", &y, &m, &d) != 3) return false;
    day = QVNET_TIME{y, m, d, 0, 0, 0};
    return y >= 1970 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

}  // namespace

bool ParseSimRecorderOptions(const std::vector<std::string>& args, SimRecorderOptions& options, std::string& error) {
    SimCatalogueRule rule;
    bool haveRule = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            error = "missing value for " + name;
            return false;
        }
        const std::string& value = args[++i];
        unsigned long number = 0;
        bool ok = true;
        if (name == "--ip")
            options.ip = value;
        else if (name == "--port")
            ok = ParseNumber(value, 65535, number), options.port = static_cast<uint16_t>(number);
        else if (name == "--serial")
            options.config.serial = value;
        else if (name == "--user")
            options.config.user = value;
        else if (name == "--password")
            options.config.password = value;
        else if (name == "--channels")
            ok = ParseNumber(value, 256, number) && number > 0, options.config.channelCount = number;
        else if (name == "--first-day")
            ok = ParseDay(value, rule.firstDay), haveRule = true;
        else if (name == "--days")
            ok = ParseNumber(value, 3660, number), rule.days = number;
        else if (name == "--file-minutes")
            ok = ParseNumber(value, 1440, number) && number > 0, rule.fileMinutes = number;
        else if (name == "--fps")
            ok = ParseNumber(value, 60, number) && number > 0, options.config.fps = static_cast<uint16_t>(number);
        else if (name == "--search-port")
            ok = ParseNumber(value, 65535, number), options.search = true,
            options.searchPort = static_cast<uint16_t>(number);
        else if (name == "--ddns-port")
            ok = ParseNumber(value, 65535, number), options.ddns = true,
            options.ddnsPort = static_cast<uint16_t>(number);
        else if (name == "--ddns-name")
            options.ddnsName = value, options.ddns = true;
        else {
            error = "unknown option " + name;
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (haveRule) options.config.rules.push_back(rule);
    return true;
}
