#pragma once
// The upgrade form on a stand-in database of its own, with a program folder of its own (so tests
// running in parallel never share issn.dat), for driving the data jobs and the file tools. Every
// position the progress bar takes is recorded.

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "StandinDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel::test {

class JobFormTest : public StandinDatabaseTest {
protected:
    void StartForm(const std::string& fixture, const std::string& extraSql = {}) {
        ASSERT_TRUE(folder.isValid());
        StartStandinOn(fixture, extraSql);
        if (IsSkipped()) return;
        form = std::make_unique<TUpKavelMain>(database);
        form->Runner.ProgramFolder = QString(folder.path()).toStdString();
        QObject::connect(form->pgbBar, &QProgressBar::valueChanged,
                         [this](int value) { barPositions.push_back(value); });
    }

    std::string PathOf(const char* name) const {
        return QDir(folder.path()).filePath(name).toStdString();
    }

    void WriteFile(const char* name, const std::string& bytes) const {
        QFile file(QDir(folder.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
    }

    // The whole file; empty when it does not exist.
    std::string ReadFile(const char* name) const {
        QFile file(QDir(folder.path()).filePath(name));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll().toStdString();
    }

    // The names in the program folder, to see that no temporary file was left behind.
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const QString& name :
             QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            names.push_back(name.toStdString());
        return names;
    }

    QTemporaryDir folder;
    std::unique_ptr<TUpKavelMain> form;
    std::vector<int> barPositions;
};

}  // namespace kavel::test
