// The recorder as a program: options, start-up line and a login over TCP.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/SimRecorderOptions.h"

TEST(SimRecorderOptions, ParsesTheCommandLine) {
    SimRecorderOptions options;
    std::string error;
    ASSERT_TRUE(ParseSimRecorderOptions({"--port", "4000", "--channels", "8", "--first-day", "2026-01-31", "--days",
                                         "3", "--file-minutes", "15", "--ddns-name", "front"},
                                        options, error))
        << error;
    EXPECT_EQ(options.port, 4000);
    EXPECT_EQ(options.config.channelCount, 8u);
    ASSERT_EQ(options.config.rules.size(), 1u);
    EXPECT_EQ(options.config.rules[0].firstDay.day, 31u);
    EXPECT_EQ(options.config.rules[0].days, 3u);
    EXPECT_EQ(options.config.rules[0].fileMinutes, 15u);
    EXPECT_TRUE(options.ddns);
    EXPECT_FALSE(options.search);

    const std::vector<std::vector<std::string>> bad = {
        {"--port", "70000"},     {"--channels", "0"}, {"--first-day", "2026-13-01"},
        {"--file-minutes", "x"}, {"--port"},          {"--colour", "red"},
    };
    for (const auto& args : bad) {
        SimRecorderOptions rejected;
        EXPECT_FALSE(ParseSimRecorderOptions(args, rejected, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimRecorderCommands, SwitchFaultsAndRefuseWhatTheyDoNotKnow) {
    CSimRecorder recorder{SimRecorderConfig()};
    SimFaults& faults = recorder.Faults();
    struct Case {
        const char* line;
        bool known;
    } cases[] = {
        {"busy on", true},     {"unknown on", true}, {"mute on", true},      {"refuse 7", true},
        {"slow 250", true},    {"drop 4096", true},  {"refuse 8", false},    {"slow -1", false},
        {"busy maybe", false}, {"", false},          {"offline now", false},
    };
    for (const Case& c : cases) EXPECT_EQ(recorder.RunCommand(c.line), c.known) << c.line;
    EXPECT_TRUE(faults.busy);
    EXPECT_TRUE(faults.unknownFiles);
    EXPECT_TRUE(faults.mute);
    EXPECT_EQ(faults.loginRefusal, 7);
    EXPECT_EQ(faults.slowMsPerBlock, 250);
    EXPECT_EQ(faults.dropAfterBytes, 4096);
    EXPECT_TRUE(recorder.RunCommand("busy off"));
    EXPECT_FALSE(faults.busy);
}

namespace {

// Runs simrecorder.exe with piped standard input and output.
class RecorderProcess {
public:
    bool Start(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!CreatePipe(&childIn, &m_in, &inherit, 0) || !CreatePipe(&m_out, &childOut, &inherit, 0)) return false;
        SetHandleInformation(m_in, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_out, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {sizeof(startup)};
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = childOut;
        std::string command = "simrecorder.exe " + arguments;
        const BOOL started =
            CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &m_process);
        CloseHandle(childIn);
        CloseHandle(childOut);
        return started != FALSE;
    }
    // The next line the program printed, without its end.
    std::string ReadLine() {
        std::string line;
        char c;
        DWORD read = 0;
        while (ReadFile(m_out, &c, 1, &read, nullptr) && read == 1 && c != '\n') {
            if (c != '\r') line += c;
        }
        return line;
    }
    void Write(const std::string& line) {
        DWORD written = 0;
        WriteFile(m_in, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    bool Quit() {
        Write("quit\n");
        return WaitForSingleObject(m_process.hProcess, 10000) == WAIT_OBJECT_0;
    }
    ~RecorderProcess() {
        if (m_process.hProcess) {
            if (WaitForSingleObject(m_process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(m_process.hProcess, 1);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        if (m_in) CloseHandle(m_in);
        if (m_out) CloseHandle(m_out);
    }

private:
    HANDLE m_in = nullptr, m_out = nullptr;
    PROCESS_INFORMATION m_process = {};
};

}  // namespace

TEST(SimRecorderProgram, ServesLoginsOnThePortItPrints) {
    RecorderProcess program;
    ASSERT_TRUE(program.Start("--ip 127.0.0.1 --port 0 --user op --password pw --channels 2"));
    const std::string line = program.ReadLine();
    ASSERT_EQ(line.compare(0, 5, "port="), 0) << line;
    const int port = std::atoi(line.c_str() + 5);
    ASSERT_GT(port, 0);

    ASSERT_TRUE(qvsock::Startup());
    SOCKET s = qvsock::Connect("127.0.0.1", static_cast<uint16_t>(port), 5000);
    ASSERT_NE(s, INVALID_SOCKET);
    std::vector<uint8_t> reply;
    ASSERT_TRUE(qvsock::SendAll(s, qvwire::BuildLoginRequest("op", "pw")));
    ASSERT_TRUE(qvsock::ReceiveCommand(s, qvwire::kCmdLoginReply, 5000, reply));
    EXPECT_EQ(reply[8], 0) << "logged in";
    EXPECT_EQ(reply[10], 2) << "channel count at byte 10";
    closesocket(s);

    // Fault controls on standard input: a refused login.
    program.Write("refuse 5\n");
    EXPECT_EQ(program.ReadLine(), "ok");
    program.Write("colour red\n");
    EXPECT_EQ(program.ReadLine(), "?");
    s = qvsock::Connect("127.0.0.1", static_cast<uint16_t>(port), 5000);
    ASSERT_NE(s, INVALID_SOCKET);
    ASSERT_TRUE(qvsock::SendAll(s, qvwire::BuildLoginRequest("op", "pw")));
    ASSERT_TRUE(qvsock::ReceiveCommand(s, qvwire::kCmdLoginReply, 5000, reply));
    EXPECT_EQ(reply[8], 5);
    closesocket(s);
    qvsock::Cleanup();
    EXPECT_TRUE(program.Quit());
}
