#include "support/conv_run.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string InDir(const TempDir& dir) { return "cd " + ShellQuote(dir.Path().string()) + " && "; }

ConvRun RunConv(const TempDir& dir, const std::string& args, const std::string& feed)
{
    ConvRun run;
    const std::string errFile = dir.File("stderr.txt");
    const std::string command = InDir(dir) + (feed.empty() ? "" : feed + " | ") + ShellQuote(DRAVEL_CONV_PATH) + " " +
                                args + " 2>" + ShellQuote(errFile);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> chunk;
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        run.out.append(chunk.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileBytes(errFile);
    return run;
}
