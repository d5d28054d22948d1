#include <gtest/gtest.h>

#include "JsonText.h"

TEST(JsonText, StyledFormKeepsUtf8AndEscapesOnlyWhatJsonNeeds)
{
    Json::Value root;
    root["type"] = "read";
    root["result"] = Json::Value(Json::arrayValue);
    Json::Value msg;
    msg["text"] = "中文 \"q\" \\u4e2d\n\x01 😀";
    root["msgs"].append(msg);
    EXPECT_EQ(StyledJsonText(root),
              "{\n"
              "   \"msgs\" : [\n"
              "      {\n"
              "         \"text\" : \"中文 \\\"q\\\" \\\\u4e2d\\n\\u0001 😀\"\n"
              "      }\n"
              "   ],\n"
              "   \"result\" : [],\n"
              "   \"type\" : \"read\"\n"
              "}\n");
}

TEST(JsonText, OneLineFormAndRoundTrip)
{
    Json::Value root;
    root["from"] = "+8613800138000";
    root["text"] = "短信\\ü";
    const std::string text = OneLineJsonText(root);
    EXPECT_EQ(text, "{\"from\":\"+8613800138000\",\"text\":\"短信\\\\ü\"}\n");

    Json::Value back;
    ASSERT_TRUE(Json::Reader().parse(text, back));
    EXPECT_EQ(back["text"].asString(), "短信\\ü");
}
