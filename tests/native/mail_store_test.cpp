#include "mail/mail_store.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

const CCalendarTime july24 = CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9);
const std::string header = "From: a@b\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09 +0900";
const std::string whole = header + "\r\n\r\nbody line\r\nlast line";

class Store : public ::testing::Test {
  protected:
    // Writes bytes into the store as one fetched message of the date given.
    std::string Keep(const std::string& bytes, FetchedPart part = FetchedPart::Whole,
                     CCalendarTime time = july24) {
        CStoreWriter writer;
        EXPECT_TRUE(writer.Open(time, part));
        writer.Write(bytes.data(), bytes.size());
        return writer.Finish();
    }
    std::vector<std::string> StoreFiles() { return ListFiles(store.Path()); }
    CScratchStore store;
};

} // namespace

TEST(MakeStoreFileName, FourDigitYearAndTwoDigitFields) {
    EXPECT_EQ(MakeStoreFileName(july24), "TM20010724100509.eml");
    EXPECT_EQ(MakeStoreFileName(CCalendarTime::FromLocal(2001, 1, 2, 3, 4, 5)), "TM20010102030405.eml");
    EXPECT_EQ(MakeStoreFileName(CCalendarTime::FromLocal(2040, 12, 31, 23, 59, 58)), "TM20401231235958.eml");
}

TEST(MakeStoreFileName, InvalidTimeGivesZeros) {
    EXPECT_EQ(MakeStoreFileName(CCalendarTime::Invalid()), "TM00000000000000.eml");
}

TEST(TemporaryDirectory, EndsWithASeparatorAndCanBeChosen) {
    const std::string system = TemporaryDirectory();
    ASSERT_FALSE(system.empty());
    EXPECT_TRUE(system.back() == '/' || system.back() == '\\');
    SetTemporaryDirectory("somewhere");
    EXPECT_TRUE(TemporaryDirectory() == "somewhere/" || TemporaryDirectory() == "somewhere\\");
    SetTemporaryDirectory("");
    EXPECT_EQ(TemporaryDirectory(), system);
}

#ifndef _WIN32
TEST(TemporaryDirectory, FollowsTmpdir) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(TemporaryDirectory(), "/var/tmp/");
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}
#endif

TEST_F(Store, CopiesUnderTheDateName) {
    const std::string path = Keep(whole);
    EXPECT_EQ(path, store.Path() + "TM20010724100509.eml");
    EXPECT_EQ(ReadFileBytes(path), whole);
}

TEST_F(Store, SameMessageAgainReusesItsFile) {
    const std::string first = Keep(whole);
    EXPECT_EQ(Keep(whole), first);
    EXPECT_EQ(StoreFiles(), std::vector<std::string>{"TM20010724100509.eml"});
}

TEST_F(Store, DifferentMessagesOfTheSameSecondGetTheirOwnFiles) {
    const std::string other = header + "\r\n\r\nanother body";
    const std::string third = "From: x@y\r\nTo: c@d\r\n\r\nthird";
    const std::string first = Keep(whole);
    const std::string second = Keep(other);
    const std::string last = Keep(third);
    EXPECT_EQ(second, store.Path() + "TM20010724100509_1.eml");
    EXPECT_EQ(last, store.Path() + "TM20010724100509_2.eml");
    EXPECT_EQ(ReadFileBytes(first), whole);
    EXPECT_EQ(ReadFileBytes(second), other);
    EXPECT_EQ(ReadFileBytes(last), third);
    // Fetched again, each finds its own file.
    EXPECT_EQ(Keep(other), second);
    EXPECT_EQ(Keep(whole), first);
    EXPECT_EQ(StoreFiles().size(), 3u);
}

// Every name up to the largest suffix taken: the next message still gets a
// name of its own, and no stored file is written over.
TEST_F(Store, StoredFilesAreNeverOverwrittenWhateverTheirNumber) {
    const std::string name = MakeStoreFileName(july24);
    const std::string stem = store.Path() + name.substr(0, name.size() - 4);
    WriteFileBytes(store.Path() + name, "mail 0");
    for (int k = 1; k <= 9999; ++k)
        WriteFileBytes(stem + "_" + std::to_string(k) + ".eml", "mail " + std::to_string(k));
    EXPECT_EQ(Keep(whole), stem + "_10000.eml");
    EXPECT_EQ(ReadFileBytes(stem + "_9999.eml"), "mail 9999");
    EXPECT_EQ(ReadFileBytes(stem + "_10000.eml"), whole);
    EXPECT_EQ(Keep(whole), stem + "_10000.eml");
}

TEST_F(Store, HeaderOnlyFetchKeepsTheStoredWholeMessage) {
    const std::string stored = Keep(whole);
    EXPECT_EQ(Keep(header, FetchedPart::HeaderOnly), stored);
    EXPECT_EQ(ReadFileBytes(stored), whole);
    EXPECT_EQ(StoreFiles().size(), 1u);
}

TEST_F(Store, WholeMessageReplacesItsHeaderOnlyCopy) {
    // POP3 keeps a copy without its final CR LF; IMAP's header ends in its blank line.
    for (const std::string& headerOnly : {header, header + "\r\n\r\n"}) {
        SCOPED_TRACE(headerOnly);
        DeleteStoreFiles();
        const std::string stored = Keep(headerOnly, FetchedPart::HeaderOnly);
        EXPECT_TRUE(IsHeaderOnlyStoreFile(stored));
        EXPECT_EQ(Keep(whole + "\r\n"), stored);
        EXPECT_EQ(ReadFileBytes(stored), whole + "\r\n");
        EXPECT_FALSE(IsHeaderOnlyStoreFile(stored));
        EXPECT_EQ(StoreFiles().size(), 1u);
    }
}

TEST_F(Store, HeaderOfAnotherMessageDoesNotTakeAWholeOnesFile) {
    Keep(whole);
    const std::string otherHeader = "From: other@b\r\nTo: c@d\r\nDate: 24 Jul 2001 10:05:09 +0900";
    EXPECT_EQ(Keep(otherHeader, FetchedPart::HeaderOnly), store.Path() + "TM20010724100509_1.eml");
}

TEST_F(Store, PrefixThatEndsInsideALineIsAnotherMessage) {
    Keep("From: a@b\r\nTo: c@dx");
    EXPECT_EQ(Keep("From: a@b\r\nTo: c@dxy\r\n\r\nbody"), store.Path() + "TM20010724100509_1.eml");
}

TEST_F(Store, WholeMessageNeverReplacesALongerStoredOne) {
    Keep(whole);
    EXPECT_EQ(Keep(header), store.Path() + "TM20010724100509_1.eml");
    EXPECT_EQ(ReadFileBytes(store.Path() + "TM20010724100509.eml"), whole);
}

TEST_F(Store, LargeFilesCompareAcrossBlocks) {
    std::string big = header + "\r\n\r\n" + std::string(200000, 'x');
    const std::string path = Keep(big);
    std::string changed = big;
    changed[150000] = 'y';
    EXPECT_NE(Keep(changed), path);
    EXPECT_EQ(Keep(big), path);
    // A header-only copy whose end falls exactly on a block boundary.
    std::string head(65536 - 2, 'h');
    std::string longer = head + "\r\n\r\n" + std::string(70000, 'b');
    const CCalendarTime later(july24.GetSeconds() + 1);
    const std::string stored = Keep(longer, FetchedPart::Whole, later);
    EXPECT_EQ(Keep(head, FetchedPart::HeaderOnly, later), stored);
}

// A message cut short leaves nothing, and its name goes to the next one.
TEST_F(Store, AnUnfinishedMessageLeavesNoFileAndFreesItsName) {
    {
        CStoreWriter cut;
        ASSERT_TRUE(cut.Open(july24, FetchedPart::Whole));
        cut.Write(header.data(), header.size());
        EXPECT_EQ(StoreFiles(), std::vector<std::string>{"TM20010724100509.eml"});
    }
    EXPECT_TRUE(StoreFiles().empty());
    EXPECT_EQ(Keep(whole), store.Path() + "TM20010724100509.eml");
}

TEST_F(Store, ADirectoryThatTakesNoFileStoresNothing) {
    SetTemporaryDirectory(store.Path() + "missing");
    CStoreWriter writer;
    EXPECT_FALSE(writer.Open(july24, FetchedPart::Whole));
    EXPECT_FALSE(writer.Write(whole.data(), whole.size()));
    EXPECT_EQ(writer.Finish(), "");
    SetTemporaryDirectory(store.Path());
}

TEST_F(Store, DeleteRemovesEveryStoreFileAndNothingElse) {
    Keep(whole);
    Keep(header + "\r\n\r\nother");
    WriteFileBytes(store.Path() + "keep.eml", "x");
    WriteFileBytes(store.Path() + "TMnotes.txt", "x");
    EXPECT_EQ(DeleteStoreFiles(), 2);
    EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"TMnotes.txt", "keep.eml"}));
}
