// Where a reply ends, and which refusals mean the module has no such storage.
#include <gtest/gtest.h>

#include "ReplyEnd.h"

TEST(ReplyEnd, AReplyEndsAtItsFinalResultWithOnlyReportsAfterIt)
{
    const struct {
        const char* what;
        std::string reply;
        int status;
        const char* finalLine;
        size_t finals;
    } rows[] = {
        {"OK", "\r\nOK\r\n", 0, "OK", 1},
        {"OK still without its line end", "\r\nOK", 0, "OK", 1},
        {"error with its code", "\r\n+CMS ERROR: 314\r\n", 1, "+CMS ERROR: 314", 1},
        {"error code that may still grow", "\r\n+CME ERROR: 3", 2, "", 0},
        {"a report after the final result", "\r\n+CMGL: 1,1,,5\r\n00\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",3\r\nRING\r\n", 0,
         "OK", 1},
        {"a status report and its PDU line after it", "\r\nOK\r\n\r\n+CDS: 25\r\n0791AB\r\n", 0, "OK", 1},
        {"the command's own line after it: more to come", "\r\nOK\r\n\r\n+CMGL: 1,1,,5\r\n", 2, "", 1},
        {"a PDU line after it: more to come", "\r\nOK\r\n 0791AB \r\n", 2, "", 1},
        {"a line cut by the window after it: wait for it", "\r\nOK\r\n\r\n+CMGL: 1,1", 2, "", 1},
        {"the command's echo after it: more to come", "\r\nOK\r\nAT+CMGL=4\r\r\n", 2, "", 1},
        {"start-up lines after it", "\r\nOK\r\n\r\nRDY\r\n\r\nCall Ready\r\n\r\nSMS Ready\r\nPB DONE\r\nSMS DONE\r\n", 0,
         "OK", 1},
        {"network time and a call's end after it", "\r\nOK\r\n\r\nDST: 1\r\n*PSUTTZ: 26/12/07,14:30:00\",\"+32\",0\r\nNO CARRIER\r\n",
         0, "OK", 1},
        {"OK and ERROR inside alpha fields", "\r\n+CMGL: 1,1,\"BOOKSHOP\",5\r\n+CMGL: 2,1,\"TERRORS\",5\r\n", 2, "",
         0},
        {"a stray OK ahead of the listing", "\r\nOK\r\n\r\n+CMGL: 1,1,,5\r\n00\r\n\r\nOK\r\n", 0, "OK", 2},
        {"a line holding OK is no final result", "\r\nOKAY\r\n", 2, "", 0},
    };
    for (const auto& row : rows) {
        const ReplyEnd end = FindReplyEnd(row.reply, {"+CMGL:"}, "AT+CMGL=4\r\n");
        EXPECT_EQ(end.status, row.status) << row.what;
        EXPECT_EQ(end.finalLine, row.finalLine) << row.what;
        EXPECT_EQ(CountFinalResults(row.reply), row.finals) << row.what;
    }
    // Text before `from` (a message body) is not read as lines.
    EXPECT_EQ(FindReplyEnd("OK\r\nbody\x1A\r\nOK\r\n", {}, "", 9).finalStart, 11u);
    EXPECT_EQ(CountFinalResults("OK\r\nbody\x1A\r\nOK\r\n", 9), 1u);
}

TEST(ReplyEnd, OnlyRefusalsOfTheStorageItselfMeanItIsAbsent)
{
    for (const char* line : {"ERROR", "+CMS ERROR: 302", "+CMS ERROR: 305", "+CME ERROR: 3", "+CME ERROR: 4",
                             "+CME ERROR: 50"})
        EXPECT_TRUE(IsAbsentStorageRefusal(line)) << line;
    for (const char* line : {"+CMS ERROR: 314", "+CMS ERROR: 301", "+CME ERROR: 14", "+CME ERROR: 3x",
                             "+CME ERROR: SIM busy", "OK"})
        EXPECT_FALSE(IsAbsentStorageRefusal(line)) << line;
}
