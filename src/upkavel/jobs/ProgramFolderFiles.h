#pragma once
// The data files of the program's folder (issn.dat, issnok.txt), read and written as bytes, one
// CR LF line at a time and never whole. Every failure raises EInOutError, whose text names the
// file and its folder, so the error box tells the user which file to look at.
//
// ReplacedFile writes beside its target and puts the new file in place only by Commit: until
// then, and after any failure, an earlier file of that name is left exactly as it was.

#include <QFile>
#include <QSaveFile>
#include <QString>
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
    TextFileLines(const QString& folder, const QString& name);

    // The next line into `line`; false at the end of the file. Raises EInOutError on a read
    // error.
    bool ReadLine(std::string& line);

private:
    QFile file_;
    QString folder_;
    QString name_;
};

// Creates folder/name anew: the lines go to a temporary file beside it, which replaces the old
// file only when Commit succeeds. Destroyed without Commit, it leaves the old file untouched.
class ReplacedFile {
public:
    // Raises EInOutError when the temporary file cannot be created (folder not writable ...).
    ReplacedFile(const QString& folder, const QString& name);

    // Writes the bytes followed by CR LF.
    void WriteLine(const std::string& bytes);
    // Puts the complete new file in place of the old one.
    void Commit();

private:
    [[noreturn]] void Fail(const char* what) const;

    QSaveFile file_;
    QString folder_;
    QString name_;
};

// Raises EInOutError for `what` happening to folder/name, with the system's reason.
[[noreturn]] void ThrowFileError(const char* what, const QString& folder, const QString& name,
                                 const QString& reason);

}  // namespace kavel
