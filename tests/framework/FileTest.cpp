#include "framework/File.h"
#include "framework/ReplacingFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

TEST(File, ExactReadsFailOnShortFilesButKeepWhatArrived)
{
    TempDir dir;
    writeBytes(dir.file("ten"), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    File file;
    ASSERT_TRUE(file.open(dir.file("ten").c_str(), File::genericRead));
    unsigned char buffer[12] = {};
    EXPECT_FALSE(file.read(buffer, 12));
    EXPECT_EQ(file.status, File::errorReadWrite);
    EXPECT_EQ(buffer[9], 9);
    EXPECT_EQ(file.position(), 10);

    // A later success does not clear the status of the failure.
    ASSERT_TRUE(file.seek(2, File::fromBegin));
    EXPECT_TRUE(file.read(buffer, 3));
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(file.status, File::errorReadWrite);
}

TEST(File, OpenRulesForReadingAndWriting)
{
    TempDir dir;
    File file;
    EXPECT_TRUE(file.close()) << "closing a file object that was never opened";
    EXPECT_FALSE(file.open(dir.file("missing").c_str(), File::genericRead));
    EXPECT_EQ(file.status, File::errorOpen);
    unsigned char byte = 0;
    EXPECT_FALSE(file.read(&byte, 1)) << "no file is open after a failed open";

    writeBytes(dir.file("old"), std::vector<std::uint8_t>(100, 7));
    File writer;
    ASSERT_TRUE(writer.open(dir.file("old").c_str(), File::genericWrite));
    EXPECT_EQ(writer.size(), 0) << "opening for writing truncates";
    EXPECT_TRUE(writer.write("abc", 3));

    // A second open closes the first file, whose bytes are then complete on disk.
    ASSERT_TRUE(writer.open(dir.file("other").c_str(), File::genericWrite));
    EXPECT_EQ(readBytes(dir.file("old")), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_FALSE(writer.seek(-5, File::fromBegin));
    EXPECT_EQ(writer.status, File::errorSeek);
}

TEST(File, AFullDiskIsNeverReportedAsWritten)
{
    SKIP_UNLESS_THE_DISK_CAN_BE_FILLED();
    File full;
    ASSERT_TRUE(full.open("/dev/full", File::genericWrite));
    const std::vector<unsigned char> data(4096, 1);
    EXPECT_FALSE(full.write(data.data(), data.size()));
    EXPECT_EQ(full.status, File::errorReadWrite);

    // A write cut short part-way is a failure too, not a partial success.
    TempDir dir;
    File limited;
    ASSERT_TRUE(limited.open(dir.file("limited").c_str(), File::genericWrite));
    FileSizeLimit limit(1000);
    EXPECT_FALSE(limited.write(data.data(), data.size()));
}

TEST(ReplacingFile, ReplacesTheTargetOnlyOnCommit)
{
    for (const auto durability : {ReplacingFile::Durability::synced, ReplacingFile::Durability::unsynced}) {
        SCOPED_TRACE(durability == ReplacingFile::Durability::synced ? "synced" : "unsynced");
        TempDir dir;
        const std::string target = dir.file("bank.zbk");
        writeBytes(target, {1, 2, 3});
        {
            ReplacingFile replacing(target, durability);
            ASSERT_TRUE(replacing.open());
            ASSERT_TRUE(replacing.file().write("new", 3));
            EXPECT_EQ(readBytes(target), (std::vector<std::uint8_t>{1, 2, 3})) << "old file until commit";
            ASSERT_TRUE(replacing.commit());
        }
        EXPECT_EQ(readBytes(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
        EXPECT_EQ(dir.entries().size(), 1u) << "neither the new file's temporary name nor the old file is left";

        {
            ReplacingFile abandoned(target, durability);
            ASSERT_TRUE(abandoned.open());
            abandoned.file().write("xx", 2);
        }
        EXPECT_EQ(readBytes(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
        EXPECT_EQ(dir.entries().size(), 1u) << "an abandoned write leaves no temporary file";

        // A directory in the target's place stays there, under its name.
        const std::string folder = dir.file("folder");
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        writeBytes(folder + "/inside", {7});
        ReplacingFile ontoFolder(folder, durability);
        ASSERT_TRUE(ontoFolder.open());
        ASSERT_TRUE(ontoFolder.file().write("new", 3));
        EXPECT_FALSE(ontoFolder.commit());
        EXPECT_EQ(readBytes(folder + "/inside"), (std::vector<std::uint8_t>{7}));
        EXPECT_EQ(dir.entries().size(), 2u);

        ReplacingFile nowhere(dir.file("no-such-dir/bank.zbk"), durability);
        EXPECT_FALSE(nowhere.open());
        EXPECT_FALSE(nowhere.commit());
    }
}

#ifndef _WIN32
// `-o /dev/null` must not put a plain file in the device's place (run as root, it did).
// A FIFO stands in for the device: written into, still a FIFO after the commit.
TEST(ReplacingFileOnHost, AFifoOrDeviceIsWrittenIntoNotReplaced)
{
    TempDir dir;
    const std::string fifo = dir.file("out.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ReplacingFile replacing(fifo, ReplacingFile::Durability::unsynced);
    ASSERT_TRUE(replacing.open());
    ASSERT_TRUE(replacing.file().write("new", 3));
    ASSERT_TRUE(replacing.commit());
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    char got[4] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 3);
    EXPECT_STREQ(got, "new");
    ::close(reader);
    EXPECT_EQ(dir.entries().size(), 1u) << "no temporary file beside it";
}
#endif

TEST(File, NamesAreUtf8)
{
    TempDir dir;
    const std::string path = dir.file("波形データ.zbk");
    File file;
    ASSERT_TRUE(file.open(path.c_str(), File::genericWrite));
    ASSERT_TRUE(file.write("old", 3));
    ASSERT_TRUE(file.close());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / std::filesystem::path(u8"波形データ.zbk")))
        << "the file carries its name in the file system's own form";

    ReplacingFile replacing(path);
    ASSERT_TRUE(replacing.open());
    ASSERT_TRUE(replacing.file().write("new!", 4));
    ASSERT_TRUE(replacing.commit());
    EXPECT_EQ(readBytes(path), (std::vector<std::uint8_t>{'n', 'e', 'w', '!'}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"波形データ.zbk"});
}
