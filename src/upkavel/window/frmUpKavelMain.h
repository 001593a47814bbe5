#pragma once
// The upgrade form: the notice to the user, the backup confirmation that enables the upgrade
// button, the upgrade button that hands the run to the upgrade runner, the two hidden ISSN
// file-tool buttons revealed by F11 and F12, and the working label and progress bar the runner
// reports through (the form implements UpgradeProgress and UpgradeMessages).
//
// While an upgrade or a file tool runs, btUp, btExit, both check boxes and the two tool buttons
// are disabled and closing the window is refused; afterwards each gets its previous state back,
// also when the run ended with an error.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <string>

#include "UpgradeRunner.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kavel {

class TDatabase;

class TUpKavelMain : public QWidget, public UpgradeProgress, public UpgradeMessages {
public:
    explicit TUpKavelMain(TDatabase& libDB, QWidget* parent = nullptr);
    ~TUpKavelMain() override;

    // Controls, named as the handlers and steps refer to them.
    QLabel* Label1;
    QLabel* Label5;
    QPushButton* btDo;
    QLabel* Label2;
    QPushButton* btDownload;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label8;
    QProgressBar* pgbBar;
    QCheckBox* ckBefore;
    QLabel* lbWorking;
    QPushButton* btUp;
    QCheckBox* cbBackup;
    QPushButton* btExit;

    // The upgrade itself: queries, statement runner, steps and jobs. Reports to this form.
    TUpgradeRunner Runner;

    // Handlers.
    void cbBackupClick();
    void FormKeyUp(int virtualKey);  // Windows virtual-key code: 122 F11, 123 F12
    void btUpClick();
    void btExitClick();
    void btDoClick();
    void btDownloadClick();

    // True while an upgrade or a file tool runs.
    bool Running() const { return running_; }

    // ---- UpgradeProgress: the working label, pgbBar (range 0 to 100) and the message pump ----
    void ShowWorking() override;
    void HideWorking() override;
    void ShowBar() override;
    void SetBar(int position) override;
    void AdvanceBar(int position) override;
    void HideBar() override;
    void PumpMessages() override;

    // ---- UpgradeMessages: the program's message box ----
    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class RunLock;

    void BuildControls();
    void ConnectHandlers();
    // Runs a file tool of the runner with the run lock held.
    void RunTool(void (TUpgradeRunner::*tool)());
    // Sets the bar's value; paints it now only when the last paint is old enough.
    void MoveBar(int position, bool paintNow);
    void PrepareBarPainting();

    TDatabase& libDB_;
    bool running_ = false;
    QElapsedTimer barPainted_;  // since the bar was last painted; invalid before the first
    QTimer barCatchUp_;         // paints a value the loop left unpainted once it stops moving
};

// The upgrade form once start-up has created it; null before and after.
extern TUpKavelMain* UpKavelMain;

}  // namespace kavel
