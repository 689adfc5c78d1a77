#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "cameras/settings.h"
#include "cameras/settings_file.h"
#include "cameras/standard_settings_files.h"
#include "support/fake_settings_files.h"
#include "text/utf8.h"

namespace fs = std::filesystem;

namespace {

const std::u16string settings_path = u"data/Qel.txt";
const std::u16string backup_path = u"data/qel backup.txt";
const std::u16string temporary_path = u"data/Qel.txt.new";

struct Loaded {
    CalcState state;
    std::unique_ptr<CameraTable> table = std::make_unique<CameraTable>();
};

Loaded load_from(const std::u16string& path, SettingsFiles& files)
{
    Loaded l;
    load_settings(path, l.state, *l.table, files);
    return l;
}

// The settings the user has in this run: different from both files on disk.
Loaded current_settings()
{
    Loaded l;
    load_settings_text(u"", l.state, *l.table);
    l.state.focal_length = 135;
    return l;
}

std::string saved_bytes(const Loaded& l)
{
    return utf16_to_utf8(settings_text(l.state, *l.table));
}

TEST(SettingsPaths, BackupAndTemporaryLieBesideTheFile)
{
    EXPECT_EQ(settings_backup_path(settings_path), backup_path);
    EXPECT_EQ(settings_temporary_path(settings_path), temporary_path);
    const struct {
        std::u16string_view settings;
        std::u16string_view backup;
    } cases[] = {
        {u"Qel.txt", u"qel backup.txt"},
        {u"C:\\Users\\\u00C9l\u00E8ve\\Documents\\Qel\\Qel.txt", u"C:\\Users\\\u00C9l\u00E8ve\\Documents\\Qel\\qel backup.txt"},
        {u"\\\\server\\share\\Qel.txt", u"\\\\server\\share\\qel backup.txt"},
        {u"D:Qel.txt", u"D:qel backup.txt"},
        {u"D:\\Qel.txt", u"D:\\qel backup.txt"},
        {u"/home/me/Qel:1.txt", u"/home/me/qel backup.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings_backup_path(c.settings), c.backup) << utf16_to_utf8(c.settings);
}

TEST(LoadSettingsFile, MissingUnreadableOrEmptyFilesGiveTheDefaults)
{
    FakeSettingsFiles files;
    EXPECT_EQ(load_from(settings_path, files).state.focal_length, 50);

    files.files[FakeSettingsFiles::key(settings_path)] = "Qel 1.0\nfocal_length 35\n";
    EXPECT_EQ(load_from(settings_path, files).state.focal_length, 35);
    files.fail_reads = true;
    EXPECT_EQ(load_from(settings_path, files).state.focal_length, 50);
    files.fail_reads = false;
    files.files[FakeSettingsFiles::key(settings_path)] = "";
    const Loaded empty = load_from(settings_path, files);
    EXPECT_EQ(empty.state.focal_length, 50);
    EXPECT_EQ(empty.table->count, 1);
}

TEST(LoadSettingsFile, DecodesUtf8AndReplacesBadBytes)
{
    FakeSettingsFiles files;
    files.files[FakeSettingsFiles::key(settings_path)] =
        "Qel 1.0\nncameras 2 1\n"
        "camera 0 \"Caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x93\xB7\" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550\n"
        "camera 1 \"bad \xC0\xAF\xED\xA0\x80\" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550\n";
    const Loaded l = load_from(settings_path, files);
    EXPECT_EQ(std::u16string(l.table->cameras[0].name), u"Caf\u00E9 \u65E5\U0001F4F7");
    EXPECT_EQ(std::u16string(l.table->cameras[1].name), u"bad \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(SaveSettingsFile, WithoutAFileWritesItAndLeavesTheBackup)
{
    FakeSettingsFiles files;
    files.files[FakeSettingsFiles::key(backup_path)] = "old backup";
    const Loaded now = current_settings();
    save_settings(settings_path, now.state, *now.table, files);
    EXPECT_EQ(files.content(settings_path), saved_bytes(now));
    EXPECT_EQ(files.content(backup_path), "old backup");
    EXPECT_FALSE(files.has(temporary_path));
}

TEST(SaveSettingsFile, WithAFileMakesItTheBackup)
{
    FakeSettingsFiles files;
    files.files[FakeSettingsFiles::key(settings_path)] = "previous settings";
    files.files[FakeSettingsFiles::key(backup_path)] = "old backup";
    const Loaded now = current_settings();
    save_settings(settings_path, now.state, *now.table, files);
    EXPECT_EQ(files.content(settings_path), saved_bytes(now));
    EXPECT_EQ(files.content(backup_path), "previous settings");
    EXPECT_FALSE(files.has(temporary_path));
    const std::vector<std::string> expected = {
        "write data/Qel.txt.new", "remove data/qel backup.txt", "rename data/Qel.txt -> data/qel backup.txt",
        "rename data/Qel.txt.new -> data/Qel.txt"};
    EXPECT_EQ(files.log, expected);

    const Loaded back = load_from(settings_path, files);
    EXPECT_EQ(back.state.focal_length, 135);
}

// Whatever single step fails, the user keeps either this run's settings or the previous file
// under the settings name, and the temporary file never lingers.
struct FailureCase {
    const char* what;
    bool had_file;
    int failing_write;    // -1: none
    std::set<int> failing_renames;  // 0 the backup rename (or the final one without a file), 1 the final one
    int failing_remove;   // -1: none
    std::string settings; // "new" stands for this run's text
    std::string backup;
};

class SaveFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(SaveFailures, NeverLoseBothVersions)
{
    const FailureCase& c = GetParam();
    FakeSettingsFiles files;
    if (c.had_file)
        files.files[FakeSettingsFiles::key(settings_path)] = "previous settings";
    files.files[FakeSettingsFiles::key(backup_path)] = "old backup";
    if (c.failing_write >= 0)
        files.failing_writes.insert(c.failing_write);
    files.failing_renames = c.failing_renames;
    if (c.failing_remove >= 0)
        files.failing_removes.insert(c.failing_remove);
    const Loaded now = current_settings();
    save_settings(settings_path, now.state, *now.table, files);
    const std::string expected_settings = c.settings == "new" ? saved_bytes(now) : c.settings;
    EXPECT_EQ(files.content(settings_path), expected_settings) << c.what;
    EXPECT_EQ(files.content(backup_path), c.backup) << c.what;
    EXPECT_FALSE(files.has(temporary_path)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveFailures,
    testing::Values(
        FailureCase{"write fails", true, 0, {}, -1, "previous settings", "old backup"},
        FailureCase{"write fails, no file", false, 0, {}, -1, "<none>", "old backup"},
        // The new file still replaces the old one: this run's settings are what matters most.
        FailureCase{"backup rename fails", true, -1, {0}, -1, "new", "<none>"},
        // The rename replaces the old backup all the same.
        FailureCase{"backup delete fails", true, -1, {}, 0, "new", "previous settings"},
        // The previous file is put back.
        FailureCase{"final rename fails", true, -1, {1}, -1, "previous settings", "<none>"},
        FailureCase{"final rename fails, no file", false, -1, {0}, -1, "<none>", "old backup"},
        // Nothing can be moved at all: the previous file stays where it was.
        FailureCase{"both renames fail", true, -1, {0, 1}, -1, "previous settings", "<none>"}));

TEST(SaveSettingsFile, FinalRenameAndRestoreFailingLeaveThePreviousFileAsBackup)
{
    FakeSettingsFiles files;
    files.files[FakeSettingsFiles::key(settings_path)] = "previous settings";
    files.failing_renames = {1, 2};
    const Loaded now = current_settings();
    save_settings(settings_path, now.state, *now.table, files);
    EXPECT_EQ(files.content(backup_path), "previous settings");
    EXPECT_FALSE(files.has(settings_path));
}

// ---------------------------------------------------------------------------------------------
// The standard-library files, in a folder of their own with a non-ASCII name.

class RealFiles : public testing::Test {
protected:
    void SetUp() override
    {
        std::random_device seed;
        const fs::path base = fs::temp_directory_path() / ("qel-settings-" + std::to_string(seed()));
        folder_ = base / path_from_utf16(u"Qel \u00E9\u65E5\U0001F4F7");
        std::error_code error;
        fs::create_directories(folder_, error);
        ASSERT_FALSE(error) << error.message();
        base_ = base;
        settings_ = (folder_ / "Qel.txt").u16string();
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(base_, error);
    }

    std::string read(const std::u16string& path)
    {
        std::ifstream in(path_from_utf16(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path base_;
    fs::path folder_;
    /// A file in the test's folder, as the file layer takes it.
    std::u16string in_folder(std::string_view name) const { return (folder_ / name).u16string(); }
    static bool exists(const std::u16string& path) { return fs::exists(path_from_utf16(path)); }

    std::u16string settings_;
    StandardSettingsFiles files_;
};

TEST_F(RealFiles, SaveLoadAndBackUp)
{
    EXPECT_EQ(load_from(settings_, files_).state.focal_length, 50);  // no file yet

    Loaded first = current_settings();
    const std::u16string name = u"\u00C9l\u00E8ve \u65E5\u672C \U0001F600";
    std::fill(std::begin(first.table->cameras[0].name), std::end(first.table->cameras[0].name), u'\0');
    name.copy(first.table->cameras[0].name, name.size());
    save_settings(settings_, first.state, *first.table, files_);
    ASSERT_TRUE(exists(settings_));
    EXPECT_FALSE(exists(settings_backup_path(settings_)));
    EXPECT_FALSE(exists(settings_temporary_path(settings_)));
    const std::string first_bytes = read(settings_);
    EXPECT_EQ(first_bytes, saved_bytes(first));

    const Loaded back = load_from(settings_, files_);
    EXPECT_EQ(back.state.focal_length, 135);
    EXPECT_EQ(std::u16string(back.table->cameras[0].name), name);

    Loaded second = current_settings();
    second.state.focal_length = 24;
    save_settings(settings_, second.state, *second.table, files_);
    EXPECT_EQ(read(settings_backup_path(settings_)), first_bytes);
    EXPECT_EQ(load_from(settings_, files_).state.focal_length, 24);
    EXPECT_FALSE(exists(settings_temporary_path(settings_)));
}

TEST_F(RealFiles, FileLayerReportsFailures)
{
    std::string bytes = "x";
    EXPECT_FALSE(files_.read_all(in_folder("missing.txt"), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(files_.read_all(folder_.u16string(), bytes));  // a folder is not a file
    EXPECT_FALSE(files_.write_all(in_folder("no such folder/Qel.txt"), "abc"));
    EXPECT_FALSE(files_.rename(in_folder("missing.txt"), in_folder("other.txt")));
    EXPECT_TRUE(files_.remove(in_folder("missing.txt")));  // nothing to delete is no failure
    EXPECT_FALSE(files_.exists(in_folder("missing.txt")));

    const std::string binary("a\0b\r\n\xFF", 6);
    ASSERT_TRUE(files_.write_all(in_folder("f.txt"), binary));
    ASSERT_TRUE(files_.read_all(in_folder("f.txt"), bytes));
    EXPECT_EQ(bytes, binary);
    ASSERT_TRUE(files_.write_all(in_folder("g.txt"), "g"));
    EXPECT_TRUE(files_.rename(in_folder("f.txt"), in_folder("g.txt")));  // replaces the target
    ASSERT_TRUE(files_.read_all(in_folder("g.txt"), bytes));
    EXPECT_EQ(bytes, binary);
    EXPECT_TRUE(files_.remove(in_folder("g.txt")));
    EXPECT_FALSE(files_.exists(in_folder("g.txt")));
}

TEST_F(RealFiles, SavingIntoAMissingFolderChangesNothing)
{
    const std::u16string nowhere = in_folder("absent/Qel.txt");
    const Loaded now = current_settings();
    save_settings(nowhere, now.state, *now.table, files_);
    EXPECT_FALSE(fs::exists(folder_ / "absent"));
}

}  // namespace
