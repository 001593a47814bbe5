#pragma once
// The data files of the program's folder (issn.dat, issnok.txt), read and written as bytes, one
// CR LF line at a time and never whole. Every failure raises EInOutError, whose text names the
// file and its folder, so the error box tells the user which file to look at.
//
// ReplacedFile writes beside its target and puts the new file in place only by Commit: until
// then, and after any failure, an earlier file of that name is left exactly as it was.
//
// Folders and names are UTF-8.

#include <cstdio>
#include <stdexcept>
#include <string>

namespace kavel {

class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a text file line by line. A line is returned without its line end (LF, or CR LF).
class TextFileLines {
public:
    // Opens folder/name for reading; raises EInOutError when it cannot.
    TextFileLines(const std::string& folder, const std::string& name);
    ~TextFileLines();
    TextFileLines(const TextFileLines&) = delete;
    TextFileLines& operator=(const TextFileLines&) = delete;

    // The next line into `line`; false at the end of the file. Raises EInOutError on a read
    // error.
    bool ReadLine(std::string& line);

private:
    std::FILE* file_ = nullptr;
    std::string folder_;
    std::string name_;
};

// Creates folder/name anew: the lines go to a temporary file beside it, which replaces the old
// file only when Commit succeeds. Destroyed without Commit, it removes the temporary file and
// leaves the old file untouched.
class ReplacedFile {
public:
    // Raises EInOutError when the temporary file cannot be created (folder not writable ...).
    ReplacedFile(const std::string& folder, const std::string& name);
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Writes the bytes followed by CR LF.
    void WriteLine(const std::string& bytes);
    // Puts the complete new file, flushed to the disk, in place of the old one.
    void Commit();

private:
    [[noreturn]] void Fail(const char* what, int error) const;

    std::FILE* file_ = nullptr;
    std::string folder_;
    std::string name_;
    std::string temporary_;  // full path of the file being written
};

// "issn.dat（文件夹 /opt/kavel）": how a message names a file of the program's folder.
std::string FileInFolder(const std::string& name, const std::string& folder);

// Raises EInOutError for `what` happening to folder/name, with the reason.
[[noreturn]] void ThrowFileError(const char* what, const std::string& folder,
                                 const std::string& name, const std::string& reason);

}  // namespace kavel
