// Command-line send answer; the rest of the mode runs end to end in tests/e2e/test_send_*.sh.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <json/json.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"

TEST(CmdSend, SendAnswerWithoutResultsHasNoResultMember)
{
    // What a script sees when no port was chosen at all.
    CCheckManager manager;
    const std::string out = CaptureConsole([&] { manager.PrintSendPduSmsResultAsJson(); });
    Json::Value answer;
    Json::Reader reader;
    ASSERT_TRUE(reader.parse(out, answer)) << out;
    EXPECT_EQ(answer.getMemberNames(), (std::vector<std::string>{"code", "message"}));
    EXPECT_EQ(answer["code"].asInt(), 0);
    EXPECT_EQ(answer["message"].asString(), "param is ok");
    // The styled text ends with its own line end; one more leaves an empty line.
    EXPECT_EQ(out.substr(out.size() - 3), "}\n\n");
}
