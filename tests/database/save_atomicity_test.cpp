// A save killed at any instant leaves a database that loads: the old file or the new one.
#include "manager/database/CDatabaseReader.h"
#include "tests/database/DatabaseTestSupport.h"

#include <chrono>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace dbtest;

namespace {

void fillLargeDatabase(CChooserDoc &doc)
{
    for (int i = 0; i < 150; ++i) {
        PrinterRecord &printer = AddPrinter(doc, "Printer " + std::to_string(i));
        printer.PrinterDescription = "Printer number " + std::to_string(i) + " on floor " + std::to_string(i % 7);
        printer.DefaultRecipient = "Recipient " + std::to_string(i);
        printer.LimitPacketSize = i % 2 == 0;
        printer.MaxPacketSizeInKb = 2 + i % 99;
    }
    for (int i = 0; i < 50; ++i) {
        GroupRecord &group = AddGroup(doc, "Group " + std::to_string(i), {}, {});
        for (int member = 0; member < 7; ++member)
            group.Printers.push_back("Printer " + std::to_string((i * 3 + member) % 150));
        if (i > 0)
            group.SubGroups.push_back("Group " + std::to_string(i - 1));
    }
}

TEST_F(DatabaseTest, SaveKilledAtAnyInstantLeavesALoadableDatabase)
{
    {
        CChooserDoc doc;
        fillLargeDatabase(doc);
        doc.SetDefaultItem("Printer 0", true);
        doc.SetPathName(kDatabasePath);
        ASSERT_TRUE(doc.OnSaveDocument(kDatabasePath));
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 25; ++round) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves whose content changes every time, one byte down the pipe after each,
            // until killed.
            close(pipeEnds[0]);
            CChooserDoc doc;
            fillLargeDatabase(doc);
            doc.SetPathName(kDatabasePath);
            for (int save = 0;; ++save) {
                doc.Printers()[save % 150]->PrinterDescription = "save " + std::to_string(save);
                doc.SetDefaultItem(doc.Printers()[save % 150]->PrinterName, true);
                doc.OnSaveDocument(kDatabasePath);
                if (write(pipeEnds[1], "s", 1) != 1)
                    _exit(1);
            }
        }
        close(pipeEnds[1]);
        // Two saves done give the length of one; the kill falls somewhere inside the next.
        char done;
        ASSERT_EQ(read(pipeEnds[0], &done, 1), 1);
        const auto first = std::chrono::steady_clock::now();
        ASSERT_EQ(read(pipeEnds[0], &done, 1), 1);
        const auto oneSave = std::chrono::steady_clock::now() - first;
        std::uniform_int_distribution<long long> instant(0, std::chrono::duration_cast<std::chrono::microseconds>(oneSave).count());
        std::this_thread::sleep_for(std::chrono::microseconds(instant(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        close(pipeEnds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child was to be killed in the middle of its saves";

        CDatabaseReader reader;
        ASSERT_TRUE(reader.CheckDatabaseFile(kDatabasePath)) << "round " << round;
        reader.ReadIndex(kDatabasePath);
        reader.ReadRecords(kDatabasePath);
        ASSERT_EQ(reader.Printers().size(), 150u) << "round " << round;
        ASSERT_EQ(reader.Groups().size(), 50u) << "round " << round;
        EXPECT_EQ(reader.Groups()[49]->Printers.size(), 7u);
        EXPECT_EQ(reader.ItemType(), "TRUE");
    }
}

} // namespace
