// Command line of the simulated recorder program.
#pragma once

#include <string>
#include <vector>

#include "tools/simrecorder/SimRecorderConfig.h"

struct SimRecorderOptions {
    SimRecorderConfig config;
    std::string ip = "127.0.0.1";
    uint16_t port = 0;    // 0 = a free port, printed at start
    bool search = false;  // answer LAN search probes
    uint16_t searchPort = 0;
    bool ddns = false;  // run a dynamic-DNS server
    uint16_t ddnsPort = 0;
    std::string ddnsName;  // name the dynamic-DNS server maps to this recorder
};

// Options: --ip A --port N --serial S --user U --password P --channels N
// --first-day YYYY-MM-DD --days N --file-minutes N --fps N --search-port N
// --ddns-port N --ddns-name NAME. False with `error` set on a bad option.
bool ParseSimRecorderOptions(const std::vector<std::string>& args, SimRecorderOptions& options, std::string& error);
