#include "frmUpKavelMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "FormLook.h"
#include "RunJournal.h"
#include "TApplication.h"
#include "TDatabase.h"

namespace kavel {

TUpKavelMain* UpKavelMain = nullptr;

namespace {

constexpr int kVkF11 = 122;
constexpr int kVkF12 = 123;

// Windows virtual-key code of a Qt key, for the keys the form reacts to; 0 for the others.
int VirtualKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_F11:
            return kVkF11;
        case Qt::Key_F12:
            return kVkF12;
        default:
            return 0;
    }
}

QPalette WithTextColour(QPalette palette, const QColor& colour) {
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    return palette;
}

}  // namespace

// Disables the controls a run must not be disturbed through and remembers their states; gives
// them back when released or destroyed (so also when the run ends with an exception).
class TUpKavelMain::RunLock {
public:
    explicit RunLock(TUpKavelMain& form)
        : form_(form), controls_{form.btUp,     form.btExit, form.ckBefore,
                                 form.cbBackup, form.btDo,   form.btDownload} {
        for (QWidget* control : controls_) {
            wasEnabled_.push_back(control->isEnabled());
            control->setEnabled(false);
        }
        form_.running_ = true;
    }
    ~RunLock() { Release(); }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    void Release() {
        if (!form_.running_) return;
        for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->setEnabled(wasEnabled_[i]);
        form_.running_ = false;
    }

private:
    TUpKavelMain& form_;
    std::vector<QWidget*> controls_;
    std::vector<bool> wasEnabled_;
};

TUpKavelMain::TUpKavelMain(TDatabase& libDB, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      Runner(libDB, *this, *this),
      libDB_(libDB) {
    Runner.ProgramFolder = QCoreApplication::applicationDirPath().toStdString();
    setObjectName("UpKavelMain");
    setWindowTitle("Kavel升级 V6.2017.1(32位)");
    setWindowIcon(QIcon(":/upkavel/UpKavel.png"));
    setFixedSize(368, 248);
    setFont(SongTiFont(12));
    UseButtonFace(*this);
    BuildControls();
    ConnectHandlers();
    CenterOnScreen(*this);
}

TUpKavelMain::~TUpKavelMain() {
    if (UpKavelMain == this) UpKavelMain = nullptr;
}

void TUpKavelMain::BuildControls() {
    auto label = [this](const char* name, int x, int y, int w, int h, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(name);
        l->setGeometry(x, y, w, h);
        return l;
    };
    auto button = [this](const char* name, int x, int y, int w, int h, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(name);
        b->setGeometry(x, y, w, h);
        b->setAutoDefault(false);
        return b;
    };
    auto checkBox = [this](const char* name, int x, int y, int w, int h, const char* text) {
        auto* c = new QCheckBox(QString::fromUtf8(text), this);
        c->setObjectName(name);
        c->setGeometry(x, y, w, h);
        return c;
    };
    const QPalette red = WithTextColour(palette(), Qt::red);

    Label1 = label("Label1", 40, 16, 276, 12, "本次升级，增加很多实用功能及对现有功能的改善。");
    Label5 = label("Label5", 40, 32, 132, 12, "以及包含以前所有升级。");
    btDo = button("btDo", 288, 40, 75, 25, "处理ISSN");
    Label2 = label("Label2", 40, 56, 288, 12, "本程序可以运行多次，但不能在两台终端上同时运行。");
    btDownload = button("btDownload", 288, 64, 75, 25, "下载ISSN");
    Label3 = label("Label3", 40, 72, 216, 12, "运行此程序后，必须升级新的 Kavel.exe");
    Label4 = label("Label4", 40, 96, 264, 12, "注意：升级后要求《Morlin》也已经升级。");
    Label8 = label("Label8", 40, 132, 276, 12, "注意：运行过程中绝对不能强行终止本程序的运行！");
    Label8->setPalette(red);
    pgbBar = new QProgressBar(this);
    pgbBar->setObjectName("pgbBar");
    pgbBar->setGeometry(40, 152, 304, 17);
    pgbBar->setRange(0, 100);
    pgbBar->setValue(0);
    pgbBar->setTextVisible(false);
    PrepareBarPainting();
    ckBefore = checkBox("ckBefore", 40, 184, 185, 17, "同时升级以前所有的系统升级");
    lbWorking = label("lbWorking", 264, 184, 84, 12, "正在处理......");
    lbWorking->setPalette(red);
    btUp = button("btUp", 40, 208, 97, 25, "现在立刻升级");
    cbBackup = checkBox("cbBackup", 144, 213, 105, 17, "已备份好数据库");
    btExit = button("btExit", 256, 208, 75, 25, "退出");

    btDo->hide();
    btDownload->hide();
    pgbBar->hide();
    lbWorking->hide();
    btUp->setEnabled(false);

    // Tab order: btExit, btUp, pgbBar, btDo, btDownload, ckBefore, cbBackup.
    pgbBar->setFocusPolicy(Qt::NoFocus);
    QWidget* order[] = {btExit, btUp, pgbBar, btDo, btDownload, ckBefore, cbBackup};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    btExit->setFocus();

    // Key preview: the form sees a key release before whichever control has the focus.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TUpKavelMain::ConnectHandlers() {
    connect(cbBackup, &QCheckBox::toggled, this, Application.Guard([this] { cbBackupClick(); }));
    connect(btUp, &QPushButton::clicked, this, Application.Guard([this] { btUpClick(); }));
    connect(btExit, &QPushButton::clicked, this, Application.Guard([this] { btExitClick(); }));
    connect(btDo, &QPushButton::clicked, this, Application.Guard([this] { btDoClick(); }));
    connect(btDownload, &QPushButton::clicked, this,
            Application.Guard([this] { btDownloadClick(); }));
}

bool TUpKavelMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const int key = VirtualKeyOf(static_cast<QKeyEvent*>(event)->key());
        if (key != 0) {
            Application.Guarded([this, key] { FormKeyUp(key); });
            return true;  // handled here; the control itself has no use for F11/F12
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpKavelMain::keyReleaseEvent(QKeyEvent* event) {
    // Reached when the form itself has the focus, or when a control let the key through.
    Application.Guarded([this, key = VirtualKeyOf(event->key())] { FormKeyUp(key); });
    QWidget::keyReleaseEvent(event);
}

void TUpKavelMain::closeEvent(QCloseEvent* event) {
    // Closing in the middle of a run would end the program between two statements.
    if (running_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TUpKavelMain::cbBackupClick() { btUp->setEnabled(cbBackup->isChecked()); }

void TUpKavelMain::FormKeyUp(int virtualKey) {
    if (virtualKey == kVkF11) btDo->show();
    if (virtualKey == kVkF12) btDownload->show();
}

void TUpKavelMain::btUpClick() {
    if (running_) return;  // a click queued before the controls were disabled
    RunLock lock(*this);
    // Each run appends to the journal; one that cannot be written changes nothing here.
    RunJournal journal(RunJournal::DefaultFolder());
    journal.Header("UpKavel", libDB_, ckBefore->isChecked());
    Runner.SetJournal(&journal);
    struct Detach {
        TUpgradeRunner& runner;
        ~Detach() { runner.SetJournal(nullptr); }
    } detach{Runner};
    Runner.RunUpgrade(ckBefore->isChecked());
    lock.Release();
    btExit->setFocus();
}

void TUpKavelMain::btExitClick() { close(); }

void TUpKavelMain::btDoClick() { RunTool(&TUpgradeRunner::IssnDatFromList); }

void TUpKavelMain::btDownloadClick() { RunTool(&TUpgradeRunner::IssnDatFromTable); }

void TUpKavelMain::RunTool(void (TUpgradeRunner::*tool)()) {
    if (running_) return;
    RunLock lock(*this);
    (Runner.*tool)();
}

void TUpKavelMain::ShowWorking() {
    lbWorking->show();
    lbWorking->repaint();
}

void TUpKavelMain::HideWorking() { lbWorking->hide(); }

int TUpKavelMain::Show(const std::string& text, const std::string& caption, unsigned flags) {
    return Application.MessageBox(text, caption, flags);
}

}  // namespace kavel
