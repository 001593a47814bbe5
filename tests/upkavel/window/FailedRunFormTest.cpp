// A run that ends in an error, through the upgrade button: the error box with the error's text,
// the working label left shown, no closing marker recorded, every control usable again, and a
// second click after the user's fix that goes to the end. What the runner sends and leaves on
// failing databases, step by step, is in tests/upkavel/runner/FailedRunTest.cpp.

#include <QLabel>

#include "FormTest.h"

namespace kavel {
namespace {

struct FailedRun {
    const char* name;
    const char* fixture;
    std::string extraSql;
    bool withEarlier;  // the box 同时升级以前所有的系统升级
    bool issnDat;      // issn.dat in the program folder
    std::string text;  // the box's text, "{folder}" standing for the program folder
    std::string fixSql;
};

class FailedRunFormTest : public test::FormTest, public testing::WithParamInterface<FailedRun> {};

TEST_P(FailedRunFormTest, ShowsTheErrorLeavesTheWindowUsableAndRunsAgainAfterTheFix) {
    const FailedRun& c = GetParam();
    StartForm(c.fixture, c.extraSql);
    if (IsSkipped()) return;
    form->ckBefore->setChecked(c.withEarlier);
    if (!c.issnDat) std::filesystem::remove(dir / "issn.dat");
    test::RecordingPresenter boxes;
    Click(form->btUp);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    std::string text = c.text;
    if (const auto at = text.find("{folder}"); at != std::string::npos)
        text.replace(at, 8, dir.string());
    EXPECT_EQ(boxes.Boxes()[0].text, text);
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    EXPECT_TRUE(form->lbWorking->isVisible());
    EXPECT_EQ(test::EnabledControls(*form), test::kAllControls);
    EXPECT_FALSE(form->Running());
    EXPECT_EQ(Column("select vm_mess from ver_manage where vm_mess in ('ZZ20130901.VERUP', "
                     "'ZZ20150325.YIGONG', 'ZZ20170109.SFZ')"),
              std::vector<std::string>{});
    test::SaveScreenshot(*form, std::string("form-after-error-") + c.name);

    if (!c.fixSql.empty()) form->Runner.RunSql(c.fixSql);
    test::WriteFile(dir / "issn.dat", "");
    Click(form->btUp);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, test::kSuccessText);
}

INSTANTIATE_TEST_SUITE_P(
    , FailedRunFormTest,
    testing::Values(
        FailedRun{"TheServerRefusesAStatement", test::kLevel2005_03,
                  "create table lib_YlsName (yn_id int NOT NULL, yn_name char(40))\nGO\n", false,
                  true, "There is already an object named 'lib_YlsName' in the database.",
                  "drop table lib_YlsName"},
        FailedRun{"IssnDatMissingAtTheImport", test::kOldestLayout, "", true, false,
                  "无法打开文件 issn.dat（文件夹 {folder}）：文件或文件夹不存在。", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
