// The program file check that guards the switch to the boot loader, and the pieces the loader
// sends of the checked program.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "firmware/hex_file_check.h"
#include "firmware/program_pieces.h"
#include "tests/support/hex_records.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

using testing::EndOfFileRecord;
using testing::HexImage;
using testing::HexRecord;
using testing::TempDir;
using testing::WriteFile;

const std::string kRecord = ":10010000214601360121470136007EFE09D2190140";  // a published example record

TEST(HexRecordProblem, NamesWhatIsWrongWithALine) {
  const std::pair<std::string, std::string> rows[] = {
      {kRecord, ""},
      {EndOfFileRecord(), ""},
      {":10010000214601360121470136007efe09d2190140", ""},
      {HexRecord(0x04, 0, {0x00, 0x01}), ""},
      {HexRecord(0x05, 0, {0, 0, 1, 0}), ""},
      {"", "an empty line"},
      {"10010000214601360121470136007EFE09D2190140", "it does not begin with a colon"},
      {":1001000021460136012147013600ZEFE09D2190140", "'Z' at column 30 is not a hexadecimal digit"},
      {":10010000 14601360121470136007EFE09D2190140", "' ' at column 10 is not a hexadecimal digit"},
      {std::string(":00000001FF\t"), "byte 0x09 at column 12 is not a hexadecimal digit"},
      {":10010000214601360121470136007EFE09D219014", "an odd number of hexadecimal digits"},
      {":0000", "too short for a record"},
      {":0F010000214601360121470136007EFE09D2190140", "the byte count is 15 but the record holds 16 data bytes"},
      {":10010000214601360121470136007EFE09D2190141", "the checksum is 41, it should be 40"},
      {HexRecord(0x06, 0, {}), "unknown record type 06"},
      {HexRecord(0x01, 0, {0xAA, 0x55}), "the end-of-file record carries 2 data bytes"},
      {HexRecord(0x00, 0, std::vector<uint8_t>(255, 0x11)), ""},
      {HexRecord(0x00, 0, std::vector<uint8_t>(255, 0x11)) + "0", "longer than 521 characters, the longest a record can be"},
  };
  for (const auto& [line, problem] : rows) EXPECT_EQ(HexRecordProblem(line), problem) << line;
}

class HexFileTest : public ::testing::Test {
protected:
  HexFileCheck Check(const std::string& content) {
    WriteFile(path_, content);
    return ReadHexFile(path_, program_);
  }
  std::string program_;
  TempDir dir_;
  std::string path_ = dir_.path() + "/program.hex";
};

TEST_F(HexFileTest, AnImageEndingInItsEndOfFileRecordPasses) {
  for (const std::string& content :
       {HexImage(3, 16), kRecord + "\r\n" + EndOfFileRecord() + "\r\n", kRecord + "\n" + EndOfFileRecord(),
        HexImage(2, 32), EndOfFileRecord() + "\n"}) {
    const HexFileCheck check = Check(content);
    EXPECT_TRUE(check.valid) << content << check.reason;
    EXPECT_TRUE(check.readable);
    EXPECT_EQ(program_, content);
  }
}

struct FileRow {
  std::string content;
  int line;
  std::string reason;
};

TEST_F(HexFileTest, TheFirstBadLineIsNamedWithItsNumber) {
  const FileRow rows[] = {
      {"", 0, "the file is empty"},
      {kRecord + "\n", 1, "the last line is not an end-of-file record"},
      {kRecord + "\n" + kRecord + "\n", 2, "the last line is not an end-of-file record"},
      {kRecord + "\n\n" + EndOfFileRecord() + "\n", 2, "an empty line"},
      {EndOfFileRecord() + "\n" + kRecord + "\n", 2, "a line after the end-of-file record"},
      {EndOfFileRecord() + "\n\n", 2, "a line after the end-of-file record"},
      {kRecord + "\n" + "hello\n" + EndOfFileRecord() + "\n", 2, "it does not begin with a colon"},
      {std::string("\x7f" "ELF\x02\x01\x01", 7), 1, "it does not begin with a colon"},
      {kRecord + "\r\r\n" + EndOfFileRecord() + "\n", 1, "byte 0x0D at column 44 is not a hexadecimal digit"},
      {EndOfFileRecord() + "\nx", 2, "a line after the end-of-file record"},
      // Refused while it is read, before its line feed: nothing can make it a record.
      {kRecord + "\n" + std::string(100000, '0'), 2, "longer than 521 characters, the longest a record can be"},
      {kRecord + "\n" + std::string(522, 'A') + "\r\n", 2, "longer than 521 characters, the longest a record can be"},
  };
  for (const FileRow& row : rows) {
    const HexFileCheck check = Check(row.content);
    EXPECT_FALSE(check.valid) << row.content;
    EXPECT_TRUE(check.readable);
    EXPECT_EQ(check.line, row.line) << row.content;
    EXPECT_EQ(check.reason, row.reason) << row.content;
    EXPECT_EQ(program_, "");
  }
}

TEST_F(HexFileTest, AFileThatCannotBeReadSaysWhy) {
  const HexFileCheck missing = ReadHexFile(dir_.path() + "/none.hex", program_);
  EXPECT_FALSE(missing.valid);
  EXPECT_FALSE(missing.readable);
  EXPECT_EQ(missing.line, 0);
  EXPECT_EQ(missing.reason, "No such file or directory");
  const HexFileCheck folder = ReadHexFile(dir_.path(), program_);
  EXPECT_FALSE(folder.valid);
  EXPECT_FALSE(folder.readable);
  EXPECT_EQ(folder.reason, "Is a directory");
}

// A named pipe without a writer would block the reader forever, and /dev/zero never ends.
TEST_F(HexFileTest, OnlyARegularFileIsRead) {
  const std::string fifo = dir_.path() + "/pipe.hex";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, std::string> rows[] = {
      {fifo, "it is a named pipe (FIFO), not a regular file"},
      {"/dev/zero", "it is a character device, not a regular file"},
  };
  for (const auto& [path, reason] : rows) {
    const HexFileCheck check = ReadHexFile(path, program_);
    EXPECT_FALSE(check.valid);
    EXPECT_TRUE(check.readable);
    EXPECT_EQ(check.line, 0);
    EXPECT_EQ(check.reason, reason);
  }
}

TEST(ProgramPieces, AreAtMost49CharactersAndEndAfterALineFeed) {
  const std::string sixty(60, 'A');
  const std::string fortyEight(48, 'B');
  const std::string fortyNine(49, 'C');
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      {kRecord + "\n" + kRecord + "\n" + kRecord + "\n", {kRecord + "\n", kRecord + "\n", kRecord + "\n"}},
      {sixty + "\n", {sixty.substr(0, 49), sixty.substr(49) + "\n"}},
      // Text mode: CR LF is one line feed, counted as one character.
      {fortyEight + "\r\n", {fortyEight + "\n"}},
      {"a\rb\n", {"a\rb\n"}},
      {"\n\n", {"\n", "\n"}},
      // The boot loader answers only at a line feed: a last line goes out with one.
      {kRecord, {kRecord + "\n"}},
      {fortyNine + "\r\nx", {fortyNine, "\n", "x\n"}},
      {kRecord + "\r", {kRecord + "\n"}},
      {"", {}},
  };
  for (const auto& [program, pieces] : rows) EXPECT_EQ(ProgramPieces(program), pieces) << program;
}

}  // namespace
}  // namespace endcap
