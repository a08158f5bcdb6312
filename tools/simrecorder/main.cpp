// The simulated recorder as a console program: serves until its standard
// input closes or reads "quit"; other input lines are fault controls
// (CSimRecorder::RunCommand), each answered "ok" or "?". Prints the ports it
// listens on, one "name=port" line each, so a test harness can read them.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "tools/simrecorder/CSimDdnsResponder.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimSearchResponder.h"
#include "tools/simrecorder/SimRecorderOptions.h"

int main(int argc, char** argv) {
    SimRecorderOptions options;
    std::string error;
    if (!ParseSimRecorderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "simrecorder: %s\n", error.c_str());
        return 2;
    }
    CSimRecorder recorder(options.config);
    if (!recorder.Start(options.ip.c_str(), options.port)) {
        std::fprintf(stderr, "simrecorder: cannot listen on %s:%u\n", options.ip.c_str(), options.port);
        return 1;
    }
    std::printf("port=%u\n", recorder.Port());
    std::unique_ptr<CSimSearchResponder> search;
    if (options.search) {
        search.reset(new CSimSearchResponder(recorder.Device().SearchResult(options.ip, recorder.Port())));
        if (!search->Start(options.ip.c_str(), options.searchPort)) return 1;
        std::printf("search=%u\n", search->Port());
    }
    std::unique_ptr<CSimDdnsResponder> ddns;
    if (options.ddns) {
        ddns.reset(new CSimDdnsResponder);
        ddns->SetEntry(options.ddnsName.empty() ? options.config.serial : options.ddnsName, options.ip);
        if (!ddns->Start(options.ip.c_str(), options.ddnsPort)) return 1;
        std::printf("ddns=%u\n", ddns->Port());
    }
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::printf("%s\n", recorder.RunCommand(line) ? "ok" : "?");
        std::fflush(stdout);
    }
    return 0;
}
