#include "headless/commandLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "headless/capabilities.h"

namespace morvane {
namespace {

struct Parsed {
    CommandLineResult result;
    std::string out;
    std::string err;
};

Parsed parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "morvane");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out, err;
    CommandLineResult result = parseCommandLine(static_cast<int>(argv.size()), argv.data(), out, err,
                                                morvaneCapabilities());
    return {std::move(result), out.str(), err.str()};
}

TEST(CommandLine, SubcommandsComeAloneAndBatchOptionsStayWithTheRun) {
    struct Case {
        std::vector<std::string> arguments;
        bool command;
        bool settings;
        int exitStatus;
        const char* message;
    };
    const Case cases[] = {
        {{"export", "dm.sdm", "--output", "dm.tsv"}, true, false, exitSuccess, ""},
        {{"--list", "l.txt", "export", "dm.sdm", "--output", "dm.tsv"}, false, false, exitUsage,
         "--list is an option of the batch run"},
        {{"--hrf", "boynton", "import", "events", "e.tsv", "--output", "e.prt"}, false, false, exitUsage,
         "--hrf is an option of the batch run"},
        {{"--list", "l.txt", "--hrf", "boynton"}, false, true, exitSuccess, ""},
        {{"export"}, false, false, exitUsage, ""},
        {{"no-such-command"}, false, false, exitUsage, ""},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        const std::string label = c.arguments.front() + " ... (" + std::to_string(c.arguments.size()) + ")";
        EXPECT_EQ(static_cast<bool>(parsed.result.command), c.command) << label;
        EXPECT_EQ(parsed.result.settings.has_value(), c.settings) << label;
        EXPECT_EQ(parsed.result.exitStatus, c.exitStatus) << label;
        EXPECT_NE(parsed.err.find(c.message), std::string::npos) << label << ": " << parsed.err;
    }
}

// The batch run's conventions belong to its help, not to a subcommand's.
TEST(CommandLine, OnlyTheBatchRunsHelpExplainsTheRun) {
    const std::string runConventions = "Answers not given are asked";
    EXPECT_NE(parse({"--help"}).out.find(runConventions), std::string::npos);
    for (const std::vector<std::string>& help :
         {std::vector<std::string>{"confounds", "--help"}, {"import", "--help"}, {"import", "events", "--help"},
          {"export", "--help"}}) {
        const Parsed parsed = parse(help);
        EXPECT_EQ(parsed.result.exitStatus, exitSuccess) << help.front();
        EXPECT_EQ(parsed.out.find(runConventions), std::string::npos) << help.front() << ":\n" << parsed.out;
    }
}

}  // namespace
}  // namespace morvane
