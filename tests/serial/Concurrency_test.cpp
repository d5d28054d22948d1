// Detection threads open, set up, write and close different ports at once, at 9600 and
// 115200: every port must get its own speed and write chunk, and talk only to its own modem.
#include "ComPortBase.h"
#include "ComPortBaseLinux.h"
#include "PortLocks.h"
#include "term.h"

#include "../PromptCancel.h"
#include "SerialTestSupport.h"
#include "SimModem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <sys/file.h>
#include <thread>
#include <vector>

namespace {

constexpr int PORTS = MAX_TERMS;
constexpr int ROUNDS = 6;

struct PortResult {
    std::vector<int> speeds;
    std::vector<int> chunks;
    std::vector<bool> opened;
    std::vector<bool> answered;
};

} // namespace

TEST(SerialConcurrency, ParallelSetupsKeepEachPortsSpeedAndChunk)
{
    CComPortBase::ResetAllComPort();
    serial_test::WindowPasses window(20);
    std::vector<std::unique_ptr<sim::SimModem>> modems;
    std::vector<int> bauds;
    for (int i = 0; i < PORTS; i++) {
        sim::SimOptions o;
        o.baud = i % 2 ? 115200 : 9600;
        bauds.push_back(o.baud);
        modems.push_back(std::make_unique<sim::SimModem>(o));
        ASSERT_TRUE(modems.back()->Ok());
    }

    std::vector<PortResult> results(PORTS);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < PORTS; i++) {
        threads.emplace_back([&, i] {
            // All threads start their first setup together.
            ready++;
            while (ready < PORTS) std::this_thread::yield();
            const std::string command = "AT+PORT=" + std::to_string(i) + "\r";
            for (int round = 0; round < ROUNDS; round++) {
                CComPortBaseLinux port(modems[i]->SlavePath(), bauds[i]);
                PortResult& r = results[i];
                r.opened.push_back(port.Open());
                r.speeds.push_back(modems[i]->LineSpeed());
                r.chunks.push_back(port.WriteChunk());
                port.Write(command);
                // The modem answers an unknown command with ERROR, echo first.
                std::string reply;
                for (int w = 0; w < 400 && reply.find("ERROR\r\n") == std::string::npos; w++) {
                    port.ReadAll(reply);
                }
                // The echo of the cancel bytes written at opening may come late, into this window.
                const std::string answer = command + "\r\nERROR\r\n";
                r.answered.push_back(reply == answer || reply == kPromptCancel + answer);
            }
        });
    }
    for (std::thread& t : threads) t.join();

    for (int i = 0; i < PORTS; i++) {
        const PortResult& r = results[i];
        for (int round = 0; round < ROUNDS; round++) {
            EXPECT_TRUE(r.opened[round]) << "port " << i << " round " << round;
            EXPECT_EQ(r.speeds[round], bauds[i]) << "port " << i << " round " << round;
            EXPECT_EQ(r.chunks[round], bauds[i] / 10) << "port " << i << " round " << round;
            EXPECT_TRUE(r.answered[round]) << "port " << i << " round " << round;
        }
        std::string expected;
        for (int round = 0; round < ROUNDS; round++) {
            expected += kPromptCancel + "AT+PORT=" + std::to_string(i) + "\r";
        }
        EXPECT_EQ(modems[i]->Received(), expected) << "port " << i;
    }
    // Every port closed: its entry is free again.
    EXPECT_EQ(term_find_next_free(), 0);
}

// Another run holds the port: a wait ends when it lets go, and says so once on standard error;
// once the bound is spent the device is given up until the next round, and other devices are not.
TEST(SerialConcurrency, PortLockWaitsForTheHolderWithinTheBoundOfTheRound)
{
    sim::Pty pty, other;
    CPortLocks locks(std::chrono::milliseconds(300));
    serial_test::Fd holder(serial_test::OpenLine(pty.SlavePath()));
    ASSERT_EQ(flock(holder.get(), LOCK_EX), 0);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        flock(holder.get(), LOCK_UN);
    });
    const std::string path = pty.SlavePath();
    {
        testing::internal::CaptureStderr();
        serial_test::Fd first(serial_test::OpenLine(path));
        EXPECT_TRUE(locks.Lock(first.get(), path));
        release.join();
        serial_test::Fd second(serial_test::OpenLine(path));
        EXPECT_FALSE(locks.Lock(second.get(), path));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "端口 " + path + " 正被其他程序使用，最多等待 1 秒\n");
    }
    serial_test::Fd free(serial_test::OpenLine(path));
    EXPECT_FALSE(locks.Lock(free.get(), path));
    EXPECT_EQ(flock(free.get(), LOCK_EX | LOCK_NB), 0);
    serial_test::Fd otherLine(serial_test::OpenLine(other.SlavePath()));
    EXPECT_TRUE(locks.Lock(otherLine.get(), other.SlavePath()));
    flock(free.get(), LOCK_UN);
    locks.Reset();
    EXPECT_TRUE(locks.Lock(free.get(), path)) << "a new round tries the device again";
}
