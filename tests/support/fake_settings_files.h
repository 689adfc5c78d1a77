// An in-memory SettingsFiles: files are a map from path to bytes, every call is logged, and
// chosen calls can be made to fail (a failed write leaves half of the bytes behind).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cameras/settings_file.h"
#include "text/utf8.h"

class FakeSettingsFiles final : public SettingsFiles {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> log;
    bool fail_reads = false;
    std::set<int> failing_writes;   // by call number, from 0
    std::set<int> failing_renames;  // by call number, from 0
    std::set<int> failing_removes;  // by call number, from 0

    static std::string key(const std::u16string& path) { return utf16_to_utf8(path); }

    bool has(const std::u16string& path) const { return files.count(key(path)) != 0; }
    std::string content(const std::u16string& path) const
    {
        const auto it = files.find(key(path));
        return it == files.end() ? std::string("<none>") : it->second;
    }

    bool read_all(const std::u16string& path, std::string& bytes) override
    {
        log.push_back("read " + key(path));
        bytes.clear();
        const auto it = files.find(key(path));
        if (fail_reads || it == files.end())
            return false;
        bytes = it->second;
        return true;
    }

    bool write_all(const std::u16string& path, std::string_view bytes) override
    {
        log.push_back("write " + key(path));
        if (failing_writes.count(writes_++)) {
            files[key(path)] = std::string(bytes.substr(0, bytes.size() / 2));  // a full disk
            return false;
        }
        files[key(path)] = std::string(bytes);
        return true;
    }

    bool remove(const std::u16string& path) override
    {
        log.push_back("remove " + key(path));
        if (failing_removes.count(removes_++))
            return false;
        files.erase(key(path));
        return true;
    }

    bool rename(const std::u16string& from, const std::u16string& to) override
    {
        log.push_back("rename " + key(from) + " -> " + key(to));
        const auto it = files.find(key(from));
        if (failing_renames.count(renames_++) || it == files.end())
            return false;
        std::string bytes = std::move(it->second);
        files.erase(it);
        files[key(to)] = std::move(bytes);
        return true;
    }

    bool exists(const std::u16string& path) override { return has(path); }

private:
    int writes_ = 0;
    int renames_ = 0;
    int removes_ = 0;
};
