#include <gtest/gtest.h>

#include <vector>

#include "app/window/StartOptions.h"
#include "data/ProgramIdentity.h"

namespace {

std::optional<TTerminalAnswer> Answer(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "tolvane");
    return AnswerBeforeStart(arguments);
}

}  // namespace

TEST(StartOptions, HelpAndVersionAnswerWhereverTheyStand) {
    for (const auto& arguments :
         {std::vector<const char*>{"--version"}, {"-platform", "offscreen", "--version"}}) {
        const auto answer = Answer(arguments);
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->Text, std::string("tolvane ") + ReleaseVersion + "\n");
        EXPECT_EQ(answer->ExitStatus, 0);
    }
    const auto help = Answer({"-style", "fusion", "--help"});
    ASSERT_TRUE(help.has_value());
    EXPECT_EQ(help->Text, ProgramHelpText());
}

TEST(StartOptions, EverythingElseStartsTheProgram) {
    for (const auto& arguments : {std::vector<const char*>{},
                                  {"-platform", "offscreen"},
                                  {"--", "--version"},
                                  {"--versions"},
                                  {"-help"}})
        EXPECT_FALSE(Answer(arguments).has_value()) << arguments.size();
}
