// The upgrade button on a database where the baseline and 2005-03 are in, run twice: while a run
// goes the window is locked and cannot be closed; after it the success box, every control usable,
// the working label hidden and the focus on exit. Pinned as the server receives them: the ledger
// is sent before the working label shows, the closing markers last and in their order, and only
// the ticked box brings the baseline step in.

#include <QApplication>
#include <QLabel>
#include <optional>

#include "FormTest.h"

namespace kavel {
namespace {

using Statements = std::vector<std::string>;

const std::string kLedgerProbe = "select * from sysobjects where name ='ver_manage'\r\n";
const std::string kLedgerCreate =
    "create table ver_manage ( \r\n\t\tvm_mess \tchar(40) default('')\r\n) \r\n";
const std::string kBaselineProbe = "select * from sysobjects where name ='lib_rukutj'\r\n";

// The driver's closing markers, each looked up and, when `inserted`, recorded.
Statements ClosingMarkers(bool inserted) {
    Statements sent;
    for (const std::string marker : {"ZZ20130901.VERUP", "ZZ20150325.YIGONG", "ZZ20170109.SFZ"}) {
        sent.push_back("select vm_mess from ver_manage\r\nwhere vm_mess='" + marker + "'\r\n");
        if (inserted) sent.push_back("insert into ver_manage(vm_mess)values('" + marker + "')\r\n");
    }
    return sent;
}

class UpgradeRunTest : public test::FormTest {};

TEST_F(UpgradeRunTest, LocksTheWindowWhileItRunsAndSendsTheLedgerFirstAndTheClosingMarkersLast) {
    StartForm(test::kLevel2005_03, "drop table ver_manage\nGO\n");  // the first run creates it
    if (IsSkipped()) return;
    for (const bool second : {false, true}) {
        SCOPED_TRACE(second ? "second run, baseline box ticked" : "first run");
        form->ckBefore->setChecked(second);
        const std::size_t mark = TraceMark();
        std::optional<Statements> beforeLabel;
        form->beforeWorkingShown = [&] { beforeLabel = TracedSince(mark); };
        std::string enabledAtBox = "(no box)";
        bool closedAtBox = true;
        test::RecordingPresenter boxes([&](const test::RecordedBox&) {
            enabledAtBox = test::EnabledControls(*form);
            closedAtBox = form->close();
            EXPECT_TRUE(form->Running() && form->lbWorking->isVisible());
        });
        Click(form->btUp);
        const Statements sent = TracedSince(mark);

        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, test::kSuccessText);
        EXPECT_EQ(boxes.Boxes()[0].caption, "提示信息");
        EXPECT_EQ(boxes.Boxes()[0].flags, 0x40u);
        EXPECT_EQ(enabledAtBox, "");
        EXPECT_FALSE(closedAtBox);
        EXPECT_EQ(test::EnabledControls(*form), test::kAllControls);
        EXPECT_FALSE(form->lbWorking->isVisible() || form->Running());
        EXPECT_EQ(QApplication::focusWidget(), form->btExit);

        EXPECT_EQ(beforeLabel,
                  second ? Statements{kLedgerProbe} : (Statements{kLedgerProbe, kLedgerCreate}));
        const Statements closing = ClosingMarkers(!second);
        ASSERT_GE(sent.size(), closing.size());
        EXPECT_EQ(Statements(sent.end() - static_cast<std::ptrdiff_t>(closing.size()), sent.end()),
                  closing);
        EXPECT_EQ(std::count(sent.begin(), sent.end(), kBaselineProbe), second ? 1 : 0);
    }
}

}  // namespace
}  // namespace kavel
