#include <gtest/gtest.h>

#include <string>

#include "app/paths.h"

namespace {

struct DirectoryCase {
    std::u16string path;
    std::u16string directory;
};

class DirectoryOf : public testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryOf, CutsAtTheLastBackslashOrColon)
{
    EXPECT_EQ(directory_of(GetParam().path), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectoryOf,
    testing::Values(DirectoryCase{u"D:\\dir\\prog.exe", u"D:\\dir"}, DirectoryCase{u"D:\\prog.exe", u"D:\\"},
                    DirectoryCase{u"prog.exe", u"."}, DirectoryCase{u"", u"."},
                    DirectoryCase{u"D:prog.exe", u"D:"}, DirectoryCase{u"\\prog.exe", u"\\"},
                    DirectoryCase{u"C:\\a\\b\\", u"C:\\a\\b"}, DirectoryCase{u"C:\\", u"C:\\"},
                    DirectoryCase{u"dir\\\\prog.exe", u"dir\\"}, DirectoryCase{u"a/b/prog.exe", u"."},
                    DirectoryCase{u"\\\\server\\share\\qel.exe", u"\\\\server\\share"},
                    DirectoryCase{u"C:\\Users\\\u00C9l\u00E8ve\\\u6587\u66F8\\Qel\\Qel.txt",
                                  u"C:\\Users\\\u00C9l\u00E8ve\\\u6587\u66F8\\Qel"}));

struct JoinCase {
    std::u16string directory;
    std::u16string name;
    std::u16string joined;
};

class JoinPath : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinPath, AddsOneBackslash)
{
    EXPECT_EQ(join_path(GetParam().directory, GetParam().name), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinPath,
    testing::Values(JoinCase{u"D:\\dir", u"Qel Quick Start.pdf", u"D:\\dir\\Qel Quick Start.pdf"},
                    JoinCase{u"D:\\", u"Qel Quick Start.pdf", u"D:\\Qel Quick Start.pdf"},
                    JoinCase{u".", u"Qel Quick Start.pdf", u".\\Qel Quick Start.pdf"},
                    JoinCase{u"C:\\Users\\me\\Documents", u"Qel", u"C:\\Users\\me\\Documents\\Qel"},
                    JoinCase{u"", u"Qel.txt", u"Qel.txt"}, JoinCase{u"D:", u"x", u"D:\\x"}));

TEST(PathLimits, LongPathsAreNotCut)
{
    // Well past the 260-unit limit of fixed buffers: nothing is lost or overrun.
    const std::u16string directory = u"C:\\" + std::u16string(400, u'd');
    const std::u16string joined = join_path(directory, u"Qel.txt");
    EXPECT_EQ(joined.size(), directory.size() + 1 + 7);
    EXPECT_EQ(directory_of(joined), directory);
}

TEST(PathLimits, ProgramFolderGivesTheHelpDocuments)
{
    EXPECT_EQ(join_path(directory_of(u"D:\\prog.exe"), u"Qel Quick Start.pdf"), u"D:\\Qel Quick Start.pdf");
    EXPECT_EQ(join_path(directory_of(u"prog.exe"), u"Qel Quick Start.pdf"), u".\\Qel Quick Start.pdf");
    EXPECT_EQ(join_path(directory_of(u"C:\\Qel\\Qel.txt"), u"qel backup.txt"), u"C:\\Qel\\qel backup.txt");
}

// The message names the document and the folder apart, each whole, however long the path.
TEST(PathLimits, AFailedHelpDocumentNamesTheFileAndTheFolder)
{
    const std::u16string folder = u"C:\\Users\\Jos\u00E9\\" + std::u16string(300, u'q');
    for (const bool exists : {false, true}) {
        const std::u16string text = document_failure_message(join_path(folder, u"Qel Quick Start.pdf"), exists);
        EXPECT_NE(text.find(u"\u201CQel Quick Start.pdf\u201D"), std::u16string::npos);
        EXPECT_NE(text.find(u"\n" + folder + u"\n"), std::u16string::npos);
        EXPECT_NE(text.find(exists ? u"could not open" : u"could not find"), std::u16string::npos);
    }
}

}  // namespace
