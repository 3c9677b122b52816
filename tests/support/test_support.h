// Helpers shared by the test programs: scratch folders and whole-file bytes.
#pragma once

#include <string>
#include <vector>

// A fresh empty folder below the system's temporary folder, removed (with
// everything in it) when the object goes out of scope. path() ends in "/".
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);
bool file_exists_on_disk(const std::string& path);
// A file of the sample folder (Windows-1252, CR LF), as bytes.
std::string sample_bytes(const std::string& name);

class ScriptedWindow;

// One whole run in folder (its Program directory) with the given window
// services and program arguments (UTF-8, as the shell passes them). The
// current directory is restored afterwards.
void run_in_folder(const std::string& folder, ScriptedWindow& window,
                   const std::vector<std::string>& arguments = {});
